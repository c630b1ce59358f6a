#include "components/lx_objects/programming/date_time_mask.h"

#include "components/archive/fields.h"

#include <array>
#include <stdexcept>

namespace {

// The position that stands for the whole unit.
constexpr int kWholeUnit = -1;

template <std::size_t N>
void setFlag(std::bitset<N>& bits, int position, bool on, bool exclusive)
{
    if (position == kWholeUnit) {
        if (on)
            bits.set();
        else
            bits.reset();
        return;
    }
    if (exclusive)
        bits.reset();
    if (position < 0 || std::size_t(position) >= N)
        throw std::out_of_range("invalid bitset<N> position");
    bits.set(std::size_t(position), on);
}

// A unit counted from `first`: the literal -1 stays the whole unit, every
// other value becomes its offset (so first - 1 also means the whole unit,
// which days and months rely on for 0).
int offsetPosition(int value, int first) { return value == kWholeUnit ? kWholeUnit : value - first; }

// A unit stored as a raw run of bytes in the stream.
template <std::size_t N, class Bits>
struct RawBits
{
    Bits& bits;
};

template <std::size_t N>
RawBits<N, std::bitset<N>> raw(std::bitset<N>& bits)
{
    return {bits};
}

template <std::size_t N>
RawBits<N, const std::bitset<N>> raw(const std::bitset<N>& bits)
{
    return {bits};
}

template <std::size_t N>
InStream& operator>>(InStream& in, RawBits<N, std::bitset<N>> field)
{
    std::array<quint8, bitsetByteCount(N)> bytes {};
    if (in.readRaw(reinterpret_cast<char*>(bytes.data()), int(bytes.size())) != int(bytes.size())) {
        in.checkStatus();
        throw std::runtime_error("Error reading from file");
    }
    bytesToBitset(bytes.data(), field.bits);
    return in;
}

template <std::size_t N>
OutStream& operator<<(OutStream& out, RawBits<N, const std::bitset<N>> field)
{
    std::array<quint8, bitsetByteCount(N)> bytes {};
    bitsetToBytes(field.bits, bytes.data());
    out.writeRaw(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
    return out;
}

}  // namespace

template <class F, class Self>
void DateTimeMask::fields(F& f, Self& s)
{
    f(raw(s.seconds), raw(s.minutes), raw(s.hours), raw(s.weekdays), raw(s.days), raw(s.months), raw(s.years));
}

void DateTimeMask::read(InStream& in) { Archive::readFields(in, *this); }

void DateTimeMask::write(OutStream& out) const { Archive::writeFields(out, *this); }

void DateTimeMask::setSeconds(int second, bool on, bool exclusive) { setFlag(seconds, second, on, exclusive); }

void DateTimeMask::setMinutes(int minute, bool on, bool exclusive) { setFlag(minutes, minute, on, exclusive); }

void DateTimeMask::setHours(int hour, bool on, bool exclusive) { setFlag(hours, hour, on, exclusive); }

void DateTimeMask::setWeekdays(quint8 weekday, bool on, bool exclusive)
{
    setFlag(weekdays, weekday == 7 ? kWholeUnit : int(weekday), on, exclusive);
}

void DateTimeMask::setDays(int day, bool on, bool exclusive) { setFlag(days, offsetPosition(day, 1), on, exclusive); }

void DateTimeMask::setMonths(int month, bool on, bool exclusive)
{
    setFlag(months, offsetPosition(month, 1), on, exclusive);
}

void DateTimeMask::setYears(int year, bool on, bool exclusive)
{
    // Only -1 means every year: 1999 is a year outside the unit, not "every".
    const int position = year == kWholeUnit ? kWholeUnit : year - kFirstYear;
    if (year != kWholeUnit && position == kWholeUnit) {
        if (exclusive)
            years.reset();
        throw std::out_of_range("invalid bitset<N> position");
    }
    setFlag(years, position, on, exclusive);
}

void DateTimeMask::setDate(int year, int month, int day)
{
    setYears(year, true, true);
    setMonths(month, true, true);
    setDays(day, true, true);
}

void DateTimeMask::setTime(int hour, int minute, int second)
{
    setHours(hour, true, true);
    setMinutes(minute, true, true);
    setSeconds(second, true, true);
}
