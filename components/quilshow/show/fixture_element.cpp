#include "components/quilshow/show/fixture_element.h"

#include "components/quilshow/show/show_streamer.h"

namespace Quil {

namespace {

// The old record form is the smallest: two markers, a byte and three u16.
const quint64 kMinimumPatchRecordSize = 11;
// Flag bits 0x01 and 0x02 are stored from this version.
const quint16 kStoredFlagsVersion = 302;

}  // namespace

FixtureElement::FixtureElement(const FixtureElement& other)
    : FixtureModelElement(other), dimmerCurve(other.dimmerCurve), m_parameterIndex(other.m_parameterIndex)
{
    for (const PatchRecord& record : other.patchRecords)
        patchRecords.push_back(record.clone());
}

void FixtureElement::stream(ShowStreamer& in)
{
    in.expectMarker(in.marker(0x011A, 0xB0B0));
    FixtureModelElement::stream(in);
    const quint32 count = in.readCount();
    in.checkAvailable(count, kMinimumPatchRecordSize);
    for (quint32 i = 0; i < count; ++i)
        patchRecords.push_back(readPatchRecord(in).release());
    in.expectMarker(in.marker(0x011B, 0xC0C0));
    if (in.version < kStoredFlagsVersion)
        updateFlags();
    indexParameters();
}

void FixtureElement::indexParameters()
{
    m_parameterIndex.clear();
    for (int i = 0; i < static_cast<int>(parameters.size()); ++i)
        m_parameterIndex.emplace(parameters[i].function, i);
}

int FixtureElement::parameterIndex(quint16 function) const
{
    const auto it = m_parameterIndex.find(function);
    return it == m_parameterIndex.end() ? -1 : it->second;
}

}  // namespace Quil
