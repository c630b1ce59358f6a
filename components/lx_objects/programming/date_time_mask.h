// DateTimeMask is the calendar selection of a real-time trigger or trigger
// condition: one flag per value of each calendar unit (second, minute, hour,
// day of the week, day of the month, month, year 2000 to 2099). A unit whose
// flags are all set stands for every value of the unit; a new mask selects
// nothing.
//
// The setters take a unit value; -1 stands for the whole unit (set or clear
// every flag of it), and for days and months 0 does too. Any other value
// outside the unit raises std::out_of_range("invalid bitset<N> position"),
// after an exclusive setter has cleared the unit.
//
// The byte converters below are shared with the version-1 show reader, which
// keeps its real-time selections in the same bit sets.
//
// A plain value; one thread uses an object at a time.
#ifndef LX_OBJECTS_PROGRAMMING_DATE_TIME_MASK_H
#define LX_OBJECTS_PROGRAMMING_DATE_TIME_MASK_H

#include "components/archive/stream_fwd.h"

#include <QtGlobal>

#include <bitset>
#include <cstddef>

// The number of bytes a run of N flags takes.
constexpr std::size_t bitsetByteCount(std::size_t bits) { return (bits + 7) / 8; }

// Flag i goes to byte i / 8, bit i % 8; bytes holds bitsetByteCount(N) bytes,
// all of which are overwritten.
template <std::size_t N>
void bitsetToBytes(const std::bitset<N>& bits, quint8* bytes)
{
    for (std::size_t i = 0; i < bitsetByteCount(N); ++i)
        bytes[i] = 0;
    for (std::size_t i = 0; i < N; ++i) {
        if (bits[i])
            bytes[i / 8] = quint8(bytes[i / 8] | (1u << (i % 8)));
    }
}

// Every flag is taken from its byte; bits of the last byte above N are ignored.
template <std::size_t N>
void bytesToBitset(const quint8* bytes, std::bitset<N>& bits)
{
    for (std::size_t i = 0; i < N; ++i)
        bits[i] = ((bytes[i / 8] >> (i % 8)) & 1u) != 0;
}

struct DateTimeMask
{
    static constexpr quint32 kTypeCode = 161;
    static constexpr int kFirstYear = 2000;

    std::bitset<60> seconds;  // bit v: second v
    std::bitset<60> minutes;  // bit v: minute v
    std::bitset<24> hours;    // bit v: hour v
    std::bitset<7> weekdays;  // bit v: weekday v
    std::bitset<31> days;     // bit v - 1: day v of the month
    std::bitset<12> months;   // bit v - 1: month v
    std::bitset<100> years;   // bit v - 2000: year v

    // Each sets (on) or clears one flag; exclusive clears the unit first.
    void setSeconds(int second, bool on, bool exclusive);
    void setMinutes(int minute, bool on, bool exclusive);
    void setHours(int hour, bool on, bool exclusive);
    // 7 stands for every weekday.
    void setWeekdays(quint8 weekday, bool on, bool exclusive);
    void setDays(int day, bool on, bool exclusive);
    void setMonths(int month, bool on, bool exclusive);
    void setYears(int year, bool on, bool exclusive);

    // Selects exactly the given values (-1, and 0 for month and day: every).
    void setDate(int year, int month, int day);
    void setTime(int hour, int minute, int second);

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const DateTimeMask&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

#endif  // LX_OBJECTS_PROGRAMMING_DATE_TIME_MASK_H
