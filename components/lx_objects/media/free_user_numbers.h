// FreeUserNumbers is a set of user numbers 0 to capacity - 1 that hands out
// the free ones: a bit per number (set = free), a hint where the next search
// starts, and how many numbers are taken. Number 0 is never handed out by a
// new set. Older pixture containers store one; the conversion keeps one for
// the dynamic-text font numbers.
//
// A plain value; one thread uses a set at a time.
#ifndef LX_OBJECTS_MEDIA_FREE_USER_NUMBERS_H
#define LX_OBJECTS_MEDIA_FREE_USER_NUMBERS_H

#include "components/archive/object.h"
#include "components/archive/stream_fwd.h"
#include "seltrane_components/os/bit_vector.h"

#include <QtGlobal>

class FreeUserNumbers : public Archive::Value<FreeUserNumbers>
{
public:
    static constexpr quint32 kTypeCode = 254;
    static constexpr quint32 kDefaultCapacity = 65536;
    static constexpr quint32 kNone = 0xFFFFFFFF;

    // Numbers 1 to capacity - 1 free, 0 taken.
    explicit FreeUserNumbers(quint32 capacity = kDefaultCapacity);

    // The number to hand out next, left free. While some number is not yet
    // counted as taken: the first free one after the hint, else the first
    // after 0, else kNone. Once all are counted as taken: the lowest free
    // number, else 0.
    quint32 nextFree() const;
    // False at or beyond the bit count.
    bool isFree(quint32 number) const;
    // Marks the number taken and counts it (a number taken twice counts
    // twice); moveHint makes it the hint, or 0 after the last number. A number
    // at or beyond the bit count changes nothing.
    void take(quint32 number, bool moveHint);

    quint32 hint() const { return m_hint; }
    quint32 usedCount() const { return m_usedCount; }
    quint32 capacity() const { return m_capacity; }

    bool operator==(const FreeUserNumbers&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    // The first free number strictly after `from`; kNone when there is none.
    quint32 firstFreeAfter(quint32 from) const;

    BitVector m_bits;
    quint32 m_hint = 0;
    quint32 m_usedCount = 1;
    quint32 m_capacity;
};
extern template class Archive::Value<FreeUserNumbers>;

#endif  // LX_OBJECTS_MEDIA_FREE_USER_NUMBERS_H
