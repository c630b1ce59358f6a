// The DALI section of a version-1 show: the show-wide DALI test flags and
// test schedules. Shows with DALI interfaces, DALI fixtures or DALI scenes
// are refused for now (their records are read by a later reader).
//
// Owned by QuilShow, filled once per load. Thread safety: GUI thread only.
#ifndef QUILSHOW_SHOW_DALI_H
#define QUILSHOW_SHOW_DALI_H

#include <QtGlobal>

namespace Quil {

class ShowStreamer;

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
};

class DALIShowComponent
{
public:
    // Reads the section (nothing below version 47).
    void read(ShowStreamer& in);
    void clear();

    bool testFlags[2] = {false, false};
    DaliTestSchedule testSchedules[2];
};

}  // namespace Quil

#endif  // QUILSHOW_SHOW_DALI_H
