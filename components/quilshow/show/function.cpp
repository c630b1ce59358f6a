#include "components/quilshow/show/function.h"

#include "components/quilshow/show/show_streamer.h"

namespace Quil {

namespace {

quint32 g_renumberThreshold = kDefaultFunctionRenumberThreshold;

}  // namespace

void Function::stream(ShowStreamer& in)
{
    in.expectMarker(in.marker(0x0102, 0x0101));
    quint16 id = 0;
    in.readU16(id);
    setId(id);
    in.readText(name);
    in.readU32(categoryMask);
    in.expectMarker(in.marker(0x0103, 0x0202));
}

quint32 functionRenumberThreshold() { return g_renumberThreshold; }

void setFunctionRenumberThreshold(quint32 threshold) { g_renumberThreshold = threshold; }

quint32 renumberFunction(quint32 id, quint16 version)
{
    const quint32 threshold = g_renumberThreshold;
    // "No function" must not turn into a real one.
    if (id == kNoFunctionId)
        return id;
    if (version < 67)
        return id >= 22 ? id + 10 : id;
    if (version < 99)
        return id >= 23 ? id + 9 : id;
    if (version < 127)
        return id >= threshold ? id + 9 : id;
    if (version < 302) {
        if (id >= threshold && id <= 31)
            return id + 9;
        return id >= 31 ? id + 4 : id;
    }
    return id;
}

bool lowersFunctionRenumberThreshold(quint32 id, quint16 version)
{
    if (version >= 99 && version <= 126)
        return id >= 23 && id <= 31;
    if (version >= 127 && version <= 301)
        return id >= 23 && id <= 26;
    return false;
}

}  // namespace Quil
