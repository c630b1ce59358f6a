#include "components/quilshow/show/dali.h"

#include "components/quilshow/show/show_streamer.h"
#include "components/quilshow/show/unsupported_section.h"

namespace Quil {

void DaliTestSchedule::stream(ShowStreamer& in)
{
    quint8 storedKind = 0;
    in.readU8(storedKind);
    if (storedKind > 3)
        throwUnsupportedSection("DALI test schedule");
    kind = storedKind;
    in.readU8(leading1).readU8(leading2);
    quint8 byteInterval = 0;
    switch (kind) {
    case 0:
        in.readU16(interval);
        return;
    case 1:
        in.readU8(byteInterval).readU8(weekdays);
        break;
    case 2:
        in.readU8(byteInterval).readU8(dayMode);
        if (dayMode == 0)
            in.readU8(monthWeek).readU8(weekday);
        else if (dayMode == 1)
            in.readU32(days);
        break;
    default:
        in.readU8(byteInterval).readU16(months).readU8(dayMode);
        if (dayMode == 0)
            in.readU8(dayOfMonth);
        else if (dayMode == 1)
            in.readU8(monthWeek).readU8(weekday);
        break;
    }
    interval = byteInterval;
}

void DALIShowComponent::clear()
{
    *this = DALIShowComponent();
}

void DALIShowComponent::read(ShowStreamer& in)
{
    if (in.version < 47)
        return;
    readEmptySection(in, "DALI interfaces");
    readEmptySection(in, "DALI fixtures");
    if (in.version >= 116)
        readEmptySection(in, "DALI scenes");
    if (in.version >= 417) {
        in.readBool(testFlags[0]).readBool(testFlags[1]);
        testSchedules[0].stream(in);
        testSchedules[1].stream(in);
    }
}

}  // namespace Quil
