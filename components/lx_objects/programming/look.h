// Look is the set of levels that a scene or a cue applies: one Lkel per
// fixture element and function, a fade time (a 16-bit time code), a skew that
// spreads the fade over the targets in fixture order, and the selections,
// sequences and timeline fragments that come with it. computeOffsets gives
// every level its own fade and offset time from the look's fade and skew.
//
// LookSequence lists values per function id; LookFragment carries one
// timeline element with two numbers; LookSelection keeps, per key, numbered
// bit sets.
//
// Plain values: a Scene or a Cue holds its look, and copies are deep. One
// thread uses a value at a time; computeOffsets reads the fixtures and
// fixture elements of the current database as the calling thread sees them
// (its open edit transaction first).
#ifndef LX_OBJECTS_PROGRAMMING_LOOK_H
#define LX_OBJECTS_PROGRAMMING_LOOK_H

#include "components/archive/object.h"
#include "components/archive/stream_fwd.h"
#include "components/lx_objects/programming/lkel.h"
#include "components/lx_objects/programming/timeline_el.h"
#include "seltrane_components/os/bit_vector.h"

#include <QtGlobal>

#include <map>
#include <vector>

class LookSequence : public Archive::Value<LookSequence>
{
public:
    static constexpr quint32 kTypeCode = 172;

    bool operator==(const LookSequence&) const = default;

    std::map<quint32, std::vector<quint32>> valuesByFunction;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Value<LookSequence>;

class LookFragment
{
public:
    static constexpr quint32 kTypeCode = 251;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const LookFragment&) const = default;

    qint32 number1 = 0;
    qint32 number2 = 0;
    TimelineEl element;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class LookSelection : public Archive::Value<LookSelection>
{
public:
    static constexpr quint32 kTypeCode = 298;

    struct Entry
    {
        qint32 number = 0;
        BitVector bits = BitVector();

        void read(InStream& in);
        void write(OutStream& out) const;
        bool operator==(const Entry&) const = default;

    private:
        friend class Archive::FieldAccess;
        template <class F, class Self>
        static void fields(F& f, Self& s);
    };

    // The entries of one key, stored behind a bare count.
    struct EntryList
    {
        std::vector<Entry> entries;

        void read(InStream& in);
        void write(OutStream& out) const;
        bool operator==(const EntryList&) const = default;

    private:
        friend class Archive::FieldAccess;
        template <class F, class Self>
        static void fields(F& f, Self& s);
    };

    bool operator==(const LookSelection&) const = default;

    std::map<qint32, EntryList> byKey;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Value<LookSelection>;

class Look : public Archive::Value<Look>
{
public:
    static constexpr quint32 kTypeCode = 173;

    // No levels, fade code 65535, no skew.
    Look() = default;

    // Stores the code of a time in milliseconds.
    void setFadeTime(qint32 milliseconds);
    // Appends a copy; answers its index.
    quint32 appendEntry(const LookSequence& sequence);

    // Overwrites every level's fade and offset time: without a skew each
    // takes the look's fade and no offset; with one, the fade is spread over
    // the targets (runs of levels of one element count once) ranked by
    // fixture number, then by the element's place in its fixture. A target
    // whose element or fixture is missing ranks last. Throws the database's
    // error when there is no current database.
    void computeOffsets();

    bool operator==(const Look&) const = default;

    std::vector<Lkel> lkels;
    std::map<quint32, LookSelection> selections;
    quint16 fadeTime = 0xFFFF;  // time code
    quint16 skewType = 0;       // 0 none; 1 to 6 spread rules
    quint16 skewDirection = 0;  // 0 forward, 1 reverse, 2 edges in, 3 centre out, 4 random
    std::vector<LookSequence> sequences;
    std::vector<LookFragment> fragments;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Value<Look>;

// Fills order with a random order of the skew's steps (count items in groups
// of groupSize, or groupCount steps when that is 2 or more): every step but
// the last shuffled, the last kept last. The same seed gives the same order
// on every platform. Nothing changes when there is no step.
void seededShuffle(std::vector<quint16>& order, quint32 count, quint32 seed, quint32 groupCount, quint32 groupSize);

#endif  // LX_OBJECTS_PROGRAMMING_LOOK_H
