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

void DALIInterface::stream(ShowStreamer&) { throwUnsupportedSection("DALI interfaces"); }

void DALIScene::stream(ShowStreamer&) { throwUnsupportedSection("DALI scenes"); }

void DALIFixture::stream(ShowStreamer& in)
{
    const quint16 v = in.version;
    in.expectMarker(0x012A);
    readId(in);
    in.readU16(fixtureId).readU8(interfaceId).readU8(shortAddress);
    // Four settings at every version, then two from 401 and one from 416.
    const int stored = v >= 416 ? 7 : v >= 401 ? 6 : 4;
    for (int i = 0; i < stored; ++i)
        in.readU8(ballastSettings[i]);
    if (v >= 428)
        in.readBool(flag);
    if (v >= 430)
        in.readText(text);
    in.expectMarker(0x012B);
}

DALIShowComponent::DALIShowComponent() : interfaces(100, 100), fixtures(6400, 6400), scenes(16, 16) {}

DALIShowComponent::~DALIShowComponent() = default;

void DALIShowComponent::clear()
{
    interfaces.clear();
    fixtures.clear();
    scenes.clear();
    testFlags[0] = testFlags[1] = false;
    testSchedules[0] = testSchedules[1] = DaliTestSchedule();
    links.clear();
}

void DALIShowComponent::read(ShowStreamer& in)
{
    if (in.version < 47)
        return;
    readItemList(in, interfaces);
    readItemList(in, fixtures);
    for (const DALIFixture& fixture : fixtures)
        links.insert(fixture.id(), fixture.fixtureId);
    if (in.version >= 116)
        readItemList(in, scenes);
    if (in.version >= 417) {
        in.readBool(testFlags[0]).readBool(testFlags[1]);
        testSchedules[0].stream(in);
        testSchedules[1].stream(in);
    }
}

qint64 DALIShowComponent::getFixtureId(quint32 daliFixtureId) const
{
    return links.secondFor(static_cast<quint16>(daliFixtureId));
}

qint64 DALIShowComponent::getDaliFixtureId(quint32 fixtureId) const
{
    return fixtureId > 0xFFFF ? -1 : links.firstFor(static_cast<quint16>(fixtureId));
}

}  // namespace Quil
