#include "components/lx_objects/programming/timeline_el.h"

#include "components/archive/fields.h"

#include <initializer_list>

namespace {

bool oneOf(int value, std::initializer_list<int> values)
{
    for (const int v : values) {
        if (v == value)
            return true;
    }
    return false;
}

// Data older than 100 stores the preset type and the colours among the
// element's own fields; the preset reads the rest of itself later.
template <class P>
struct OlderType
{
    P& preset;
};

template <class P>
OlderType<P> olderType(P& preset)
{
    return OlderType<P> {preset};
}

InStream& operator>>(InStream& in, OlderType<PresetData> field)
{
    quint32 type = 0;
    in >> type;
    field.preset.reset(qint32(type));
    return in;
}

template <class P>
struct OlderColours
{
    P& preset;
};

template <class P>
OlderColours<P> olderColours(P& preset)
{
    return OlderColours<P> {preset};
}

InStream& operator>>(InStream& in, OlderColours<PresetData> field)
{
    readColourList(in, field.preset.colours);
    return in;
}

}  // namespace

bool TimelineEl::isMarkedPresetKind() const
{
    const int kind = targets.empty() ? 0 : targets.begin()->kind();
    const int type = presetData.presetType();
    if (type == 200)
        return !oneOf(kind, {19, 10, 13});
    if (oneOf(type, {203, 206, 207, 210, 211, 212, 213, 215, 216, 217, 219}))
        return !oneOf(kind, {10, 13});
    return false;
}

template <class F, class Self>
void TimelineEl::fields(F& f, Self& s)
{
    f.onlyBefore(100, olderType(s.presetData));
    f(s.targets);
    f(s.headerWord1, s.headerWord2, s.headerWord3, s.headerWord4, s.headerWord5);
    f.onlyBefore(100, olderColours(s.presetData));
    f.since(62, Archive::storedAs<quint32>(s.headerWord6));
    f(Archive::inlineFields(s.presetData));
}

TimelineFragment::TimelineFragment(const TimelineEl& element, qint32 frameArrayId, qint32 start, qint32 end,
                                   qint32 extraTime1, qint32 extraTime2)
    : start(start), end(end), extraTime1(extraTime1), extraTime2(extraTime2), element(element),
      frameArrayId(frameArrayId)
{}

template <class F, class Self>
void TimelineFragment::fields(F& f, Self& s)
{
    f(s.start, s.end, s.extraTime1, s.extraTime2, s.element);
    f(Archive::storedAs<quint32>(s.frameArrayId), Archive::storedAs<quint32>(s.fragmentParam));
}

void TimelineFragment::resetForRead()
{
    const std::uint16_t key = id();
    *this = TimelineFragment();
    setId(key);
}

void TimelineFragment::read(InStream& in) { Archive::readFields(in, *this); }

void TimelineFragment::write(OutStream& out) const { Archive::writeFields(out, *this); }

template class Archive::Value<TimelineEl>;
