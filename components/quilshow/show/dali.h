// The DALI section of a version-1 show: the DALI fixtures (ballasts bound to
// a show fixture and an interface) with the table that links them to show
// fixtures, and the show-wide DALI test flags and test schedules. Shows with
// DALI interfaces or DALI scenes are refused for now: the element types of
// their groups and maps are not known.
//
// Owned by QuilShow, filled once per load; the component owns its items.
// Thread safety: GUI thread only.
#ifndef QUILSHOW_SHOW_DALI_H
#define QUILSHOW_SHOW_DALI_H

#include "components/quilshow/show/show_thing.h"
#include "components/quilshow/show/two_key_table.h"

#include <QtGlobal>

#include <array>
#include <string>
#include <vector>

namespace Quil {

// When a DALI test runs: every `interval` days (kind 0), weeks on `weekdays`
// (kind 1), months (kind 2) or years on `months` (kind 3), on a day chosen by
// `dayMode` (0: a week of the month and a weekday, or a day of the month for
// kind 3; 1: a day set, or a week and weekday for kind 3).
struct DaliTestSchedule
{
    quint8 kind = 2;
    quint8 leading1 = 0;
    quint8 leading2 = 0;
    quint16 interval = 1;
    quint8 weekdays = 0;
    quint8 dayMode = 0;
    quint8 monthWeek = 1;
    quint8 weekday = 0;
    quint32 days = 0;
    quint16 months = 0;
    quint8 dayOfMonth = 0;

    // Fails with "Unsupported version-1 section: DALI test schedule" for a
    // kind above 3.
    void stream(ShowStreamer& in);
    bool operator==(const DaliTestSchedule&) const = default;
};

// A DALI interface; its record is refused ("Unsupported version-1 section:
// DALI interfaces").
class DALIInterface : public ShowThing
{
public:
    static constexpr quint16 kNoDaliFixture = 0xFFFF;

    sortvector_el* clone() const override { return new DALIInterface(*this); }
    void stream(ShowStreamer& in) override;
    bool operator==(const DALIInterface&) const = default;

    std::string name;
    quint8 bytes[3] = {0, 0, 0};
    DaliTestSchedule testSchedules[2];
    quint32 word1 = 0;
    // The DALI fixture id at each short address.
    std::vector<quint16> shortAddresses = std::vector<quint16>(64, kNoDaliFixture);
    quint32 word2 = 1;
};

// A DALI ballast: the show fixture it drives, its interface, its short
// address and its ballast settings.
class DALIFixture : public ShowThing
{
public:
    sortvector_el* clone() const override { return new DALIFixture(*this); }
    // Marker 0x012A; u16 id, u16 fixture id, u8 interface id, u8 short
    // address, four settings; two more from version 401, one more from 416;
    // the flag from 428; the text from 430; marker 0x012B.
    void stream(ShowStreamer& in) override;
    bool operator==(const DALIFixture&) const = default;

    quint16 fixtureId = 0xFFFF;
    quint8 interfaceId = 0xFF;
    quint8 shortAddress = 0xFF;
    std::array<quint8, 7> ballastSettings {{0x00, 0xFE, 0x01, 0xFF, 0, 7, 0}};
    std::string text;
    bool flag = false;
};

// A DALI scene; its record is refused ("Unsupported version-1 section: DALI
// scenes").
class DALIScene : public ShowThing
{
public:
    sortvector_el* clone() const override { return new DALIScene(*this); }
    void stream(ShowStreamer& in) override;
    bool operator==(const DALIScene&) const = default;

    std::string name;
};

class DALIShowComponent
{
public:
    DALIShowComponent();
    ~DALIShowComponent();

    DALIShowComponent(const DALIShowComponent&) = delete;
    DALIShowComponent& operator=(const DALIShowComponent&) = delete;

    // Reads the section (nothing below version 47) and links the DALI
    // fixtures to show fixtures: when two name the same fixture, the lower
    // id wins.
    void read(ShowStreamer& in);
    void clear();

    // The show fixture linked to DALI fixture `daliFixtureId` (taken as 16
    // bits), or -1.
    qint64 getFixtureId(quint32 daliFixtureId) const;
    // The DALI fixture linked to show fixture `fixtureId`, or -1.
    qint64 getDaliFixtureId(quint32 fixtureId) const;
    bool operator==(const DALIShowComponent&) const = default;

    sortvector<DALIInterface> interfaces;
    sortvector<DALIFixture> fixtures;
    sortvector<DALIScene> scenes;
    bool testFlags[2] = {false, false};
    DaliTestSchedule testSchedules[2];
    // DALI fixture id -> show fixture id.
    TwoKeyTable<quint16, quint16> links;
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_DALI_H
