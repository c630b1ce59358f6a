#include "components/lx_objects/programming/look.h"

#include "components/archive/database.h"
#include "components/archive/fields.h"
#include "components/lx_objects/fixtures/fixture.h"
#include "components/lx_objects/fixtures/fixture_element.h"
#include "components/lx_objects/programming/packed_time.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

// The skew order's generator: a linear congruential one of our own with
// 15-bit draws, so that a seed gives the same order on every platform.
class SkewRandom
{
public:
    explicit SkewRandom(quint32 seed) : m_state(seed) {}
    quint32 draw()
    {
        m_state = m_state * 214013u + 2531011u;
        return (m_state >> 16) & 0x7FFF;
    }

private:
    quint32 m_state;
};

// A number from 0 to k, every one as likely: 15-bit draws are combined until
// they cover k, and a draw from the uneven top of the range is drawn again.
quint32 uniformUpTo(SkewRandom& random, quint32 k)
{
    const quint64 range = quint64(k) + 1;
    for (;;) {
        quint64 r = 0;
        quint64 top = 0;
        while (top < k) {
            r = (r << 15) | random.draw();
            top = (top << 15) | 0x7FFF;
        }
        if (r / range < top / range || top % range == k)
            return quint32(r % range);
    }
}

// The number of steps a skew spreads over: the groups, or the groups of
// groupSize that count items make.
quint64 stepCount(quint64 count, quint32 groupCount, quint32 groupSize)
{
    if (groupCount >= 2)
        return groupCount;
    if (groupSize == 0)
        return 0;
    return quint64(std::ceil(double(count) / double(groupSize)));
}

// Spreads the fade time t over the steps: the item of rank i gets its fade
// time t and its delay d. In 64 bits: a long fade times a high rank overflows
// 32; every result is at most t.
void skewStep(quint16 type, quint16 direction, quint64& t, quint64& d, quint64 i, quint64 count,
              const std::vector<quint16>& order, quint32 groupCount, quint32 groupSize)
{
    quint64 m = stepCount(count, groupCount, groupSize);
    if (m == 0)
        return;
    quint64 idx = groupCount > 1 ? (i / groupSize) % groupCount : i / groupSize;
    idx = std::min(idx, m - 1);
    switch (direction) {
    case 1:
        idx = m - 1 - idx;
        break;
    case 2:
    case 3: {
        const quint64 h = (m + 1) / 2;
        if (h == 1)
            return;
        if (idx > h - 1)
            idx = m - 1 - idx;
        m = h;
        if (direction == 3)
            idx = h - 1 - idx;
        break;
    }
    case 4:
        if (idx < order.size())
            idx = order[idx];
        break;
    default:
        break;
    }
    const quint64 span = m > 1 ? m - 1 : 0;
    const auto delay = [&](quint64 time) { return span ? time * idx / span : 0; };
    switch (type) {
    case 1:
        d = delay(t), t = 0;
        break;
    case 2:
        d = t * idx / m, t = t / m;
        break;
    case 3:
        d = delay(t - (t >> 2)), t = t >> 2;
        break;
    case 4:
        t = t >> 1, d = delay(t);
        break;
    case 5:
        d = t * idx / m, t = (m - idx) * t / m;
        break;
    case 6:
        d = 0, t = (m - idx) * t / m;
        break;
    default:
        break;
    }
}

// Fixture number, then the element's place in its fixture; 0xFFFF for what
// is missing. Read as the calling thread sees the database: a conversion
// builds its looks before it commits the fixtures.
class TargetKeys
{
public:
    quint32 keyOf(quint32 elementId)
    {
        Archive::ObjectPtr object;
        Archive::getObject(object, FixtureElement::kArrayId, elementId);
        const auto element = Archive::dynamicPointerCast<FixtureElement>(object);
        if (!element)
            return 0xFFFFFFFF;
        const Fixture* fixture = fixtureOf(element->ownerFixtureId);
        if (!fixture)
            return 0xFFFFFFFF;
        const int position = fixture->indexOfElement(elementId);
        return quint32(fixture->number) << 16 | (position < 0 ? 0xFFFFu : quint16(position));
    }

private:
    // A fixture's elements are usually targets together: it is read once.
    const Fixture* fixtureOf(quint32 fixtureId)
    {
        const auto found = m_fixtures.find(fixtureId);
        if (found != m_fixtures.end())
            return found->second.get();
        Archive::ObjectPtr object;
        Archive::getObject(object, Fixture::kArrayId, fixtureId);
        const auto fixture = Archive::dynamicPointerCast<Fixture>(object);
        return m_fixtures.emplace(fixtureId, fixture).first->second.get();
    }

    std::unordered_map<quint32, Archive::Pointer<Fixture>> m_fixtures;
};

}  // namespace

// ---- LookSequence, LookFragment, LookSelection ----

template <class F, class Self>
void LookSequence::fields(F& f, Self& s)
{
    f(s.valuesByFunction);
}

template <class F, class Self>
void LookFragment::fields(F& f, Self& s)
{
    f(s.number1, s.number2, s.element);
}

template <class F, class Self>
void LookSelection::Entry::fields(F& f, Self& s)
{
    f(s.number, s.bits);
}

void LookSelection::Entry::read(InStream& in) { Archive::readFields(in, *this); }

void LookSelection::Entry::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void LookSelection::EntryList::fields(F& f, Self& s)
{
    f(Archive::counted<quint32>(s.entries));
}

void LookSelection::EntryList::read(InStream& in) { Archive::readFields(in, *this); }

void LookSelection::EntryList::write(OutStream& out) const { Archive::writeFields(out, *this); }

template <class F, class Self>
void LookSelection::fields(F& f, Self& s)
{
    // Other versions hold exactly one key, without a count.
    f.when([](quint16 v) { return (v >= 113 && v < 120) || v >= 132; }, Archive::counted<quint32>(s.byKey))
        .orRead([](InStream& in, auto& counted) {
            std::pair<qint32, EntryList> entry;
            in >> entry.first >> Archive::inlineFields(entry.second);
            counted.container.insert(std::move(entry));
        });
}

// ---- Look ----

void Look::setFadeTime(qint32 milliseconds) { fadeTime = encodeTime16(milliseconds); }

quint32 Look::appendEntry(const LookSequence& sequence)
{
    sequences.push_back(sequence);
    return quint32(sequences.size() - 1);
}

void Look::computeOffsets()
{
    const quint32 fade = Quil::decodePackedTime(fadeTime);
    // A run of levels of one element is one target.
    std::vector<quint32> targetIds;
    std::vector<quint32> keys;
    if (skewType != 0) {
        TargetKeys keyOf;
        for (std::size_t n = 0; n < lkels.size(); ++n) {
            const quint32 id = lkels[n].get(Lkel::ElementId);
            if (n > 0 && id == lkels[n - 1].get(Lkel::ElementId))
                continue;
            targetIds.push_back(id);
            keys.push_back(keyOf.keyOf(id));
        }
    }
    if (targetIds.empty()) {
        for (Lkel& lkel : lkels)
            lkel.setFadeTime(qint32(fade)), lkel.setOffsetTime(0);
        return;
    }

    // A target's rank is the number of targets with a smaller key: sorted
    // once, equal keys share the rank of the first of them.
    std::vector<quint32> sorted = keys;
    std::sort(sorted.begin(), sorted.end());
    std::vector<quint32> rankById(*std::max_element(targetIds.begin(), targetIds.end()) + 1, 0);
    for (std::size_t n = 0; n < targetIds.size(); ++n)
        rankById[targetIds[n]] = quint32(std::lower_bound(sorted.begin(), sorted.end(), keys[n]) - sorted.begin());

    const quint32 count = quint32(targetIds.size());
    std::vector<quint16> order;
    if (skewDirection == 4)
        seededShuffle(order, count, rankById[0], 1, 1);
    for (Lkel& lkel : lkels) {
        quint64 t = fade;
        quint64 d = 0;
        skewStep(skewType, skewDirection, t, d, rankById[lkel.get(Lkel::ElementId)], count, order, 1, 1);
        lkel.setFadeTime(qint32(t)), lkel.setOffsetTime(qint32(d));
    }
}

template <class F, class Self>
void Look::fields(F& f, Self& s)
{
    f(s.lkels, s.fadeTime, s.skewType, s.skewDirection);
    f.when([](quint16 v) { return (v >= 112 && v < 120) || v >= 125; }, s.selections);
    f(s.sequences);
    f.since(62, s.fragments);
}

void seededShuffle(std::vector<quint16>& order, quint32 count, quint32 seed, quint32 groupCount, quint32 groupSize)
{
    const quint64 m = stepCount(count, groupCount, groupSize);
    if (m == 0)
        return;
    order.resize(m);
    for (quint64 k = 0; k < m; ++k)
        order[k] = quint16(k);
    SkewRandom random(seed);
    for (quint64 k = 1; k + 1 < m; ++k)
        std::swap(order[k], order[uniformUpTo(random, quint32(k))]);
}

template class Archive::Value<LookSequence>;

void LookFragment::read(InStream& in) { Archive::readFields(in, *this); }

void LookFragment::write(OutStream& out) const { Archive::writeFields(out, *this); }

template class Archive::Value<LookSelection>;

template class Archive::Value<Look>;
