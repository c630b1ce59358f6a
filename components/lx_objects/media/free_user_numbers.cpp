#include "components/lx_objects/media/free_user_numbers.h"

#include "components/archive/fields.h"

FreeUserNumbers::FreeUserNumbers(quint32 capacity) : m_bits(capacity), m_capacity(capacity)
{
    for (quint32 number = 1; number < capacity; ++number)
        m_bits.setBit(number);
}

quint32 FreeUserNumbers::firstFreeAfter(quint32 from) const
{
    // The bit vector answers only within the range of int.
    if (from >= m_bits.size() || from > 0x7FFFFFFF)
        return kNone;
    const int found = m_bits.findNextSet(static_cast<int>(from));
    return found < 0 ? kNone : static_cast<quint32>(found);
}

quint32 FreeUserNumbers::nextFree() const
{
    if (m_usedCount != m_capacity) {
        const quint32 afterHint = firstFreeAfter(m_hint);
        return afterHint != kNone ? afterHint : firstFreeAfter(0);
    }
    const int lowest = m_bits.findNextSet(-1);
    return lowest < 0 ? 0 : static_cast<quint32>(lowest);
}

bool FreeUserNumbers::isFree(quint32 number) const { return m_bits.testBit(number); }

void FreeUserNumbers::take(quint32 number, bool moveHint)
{
    // nextFree() answers kNone when nothing is free: taking that must not
    // count a number that does not exist.
    if (number >= m_bits.size())
        return;
    m_bits.setBit(number, false);
    ++m_usedCount;
    if (moveHint)
        m_hint = number == m_capacity - 1 ? 0 : number;
}

template <class F, class Self>
void FreeUserNumbers::fields(F& f, Self& s)
{
    f(s.m_bits, s.m_hint, s.m_usedCount, s.m_capacity);
}

template class Archive::Value<FreeUserNumbers>;
