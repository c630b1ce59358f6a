#include "components/lx_objects/project/fx_table.h"

#include "components/archive/fields.h"

#include <algorithm>

namespace {

// Each entry stored bare, one after the other.
template <class F, class Entries>
void eachEntry(F& f, Entries& entries)
{
    for (auto& entry : entries)
        f(entry);
}

}  // namespace

const FxTable::Entries& FxTable::defaultEntries()
{
    static const Entries entries = {
        0,     35972, 45160, 25093, 20493, 18710, 1671,  29753, 1749,  21168, 26705, 29019, 53588, 21843, 55305, 26175,
        39341, 32387, 16207, 15276, 62226, 49702, 38292, 53339, 62586, 60424, 23468, 14175, 1520,  28442, 373,   31811,
        53313, 40881, 5675,  60325, 53765, 49715, 1382,  19274, 7608,  23724, 1330,  45953, 46641, 7222,  13677, 38233,
        3584,  41418, 29596, 31286, 21417, 63583, 65241, 27131, 51642, 61446, 33095, 2385,  28213, 14457, 17793, 33659,
        26142, 23592, 39511, 59808, 28901, 64382, 12602, 24130, 52704, 52533, 34222, 27466, 34734, 10328, 55653, 19569,
        26312, 28396, 31129, 12949, 31096, 43030, 14470, 35645, 2627,  12687, 63248, 32138, 27721, 8106,  57330, 14352,
        23363, 35022, 44158, 25591, 37008, 28842, 47434, 41523, 37735, 35461, 56485, 53936, 58281, 7890,  7005,  26122,
        31437, 3820,  40743, 35146, 13697, 22695, 41268, 30736, 57769, 1736,  60030, 10479, 62599, 4489,  6907,  6029,
    };
    return entries;
}

template <class F, class Self>
void FxTable::fields(F& f, Self& s)
{
    f(s.name);
    eachEntry(f, s.entries);
}

void FxTable::afterRead(InStream& in)
{
    // In older data a negative entry in object 17 stands for the default
    // table. The whole table is read first, so that what follows it in the
    // stream is read from where it starts.
    const quint16 v = in.version();
    const bool older = v < 112 || (v >= 120 && v < 125);
    const QVariant context = in.contextValue(InStream::ObjectIdContext);
    if (older && context.isValid() && context.toInt() == 17
        && std::any_of(entries.begin(), entries.end(), [](qint32 e) { return e < 0; }))
        entries = defaultEntries();
}

template <class F, class Self>
void CrossfadePath::fields(F& f, Self& s)
{
    f(s.name);
    eachEntry(f, s.entries);
}

template <class F, class Self>
void DimmerCurve::fields(F& f, Self& s)
{
    f(s.name);
    eachEntry(f, s.entries);
}

template class Archive::Object<FxTable>;

template class Archive::Object<CrossfadePath>;

template class Archive::Object<DimmerCurve>;
