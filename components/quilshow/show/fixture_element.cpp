#include "components/quilshow/show/fixture_element.h"

#include "components/quilshow/show/show_streamer.h"

namespace Quil {

namespace {

// The old record form is the smallest: two markers, a byte and three u16.
const quint64 kMinimumPatchRecordSize = 11;
// Flag bits 0x01 and 0x02 are stored from this version.
const quint16 kStoredFlagsVersion = 302;

}  // namespace

void FixtureElement::stream(ShowStreamer& in)
{
    in.expectMarker(in.marker(0x011A, 0xB0B0));
    FixtureModelElement::stream(in);
    const quint32 count = in.readCount();
    in.checkAvailable(count, kMinimumPatchRecordSize);
    patchRecords.reserve(count);
    for (quint32 i = 0; i < count; ++i)
        patchRecords.push_back(readPatchRecord(in));
    in.expectMarker(in.marker(0x011B, 0xC0C0));
    if (in.version < kStoredFlagsVersion)
        updateFlags();
}

int FixtureElement::parameterIndex(quint16 function) const
{
    // An element has a few parameters: a scan of them costs less than an
    // index kept beside each of a show's tens of thousands of elements.
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (parameters[i].function == function)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace Quil
