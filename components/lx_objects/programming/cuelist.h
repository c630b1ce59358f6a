// Cuelist is a sequence of cues (array 15); a project keeps one. A Cue is a
// look with a time and the macros that run with it; a CueMacro is a kind and
// a 64-bit value.
//
// Owned by the database like every archive object; one thread edits a copy.
// Cue and CueMacro are plain values.
#ifndef LX_OBJECTS_PROGRAMMING_CUELIST_H
#define LX_OBJECTS_PROGRAMMING_CUELIST_H

#include "components/archive/object.h"
#include "components/lx_objects/programming/look.h"

#include <vector>

struct CueMacro
{
    static constexpr quint32 kTypeCode = 274;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const CueMacro&) const = default;

    quint32 kind = 0;  // stored in 16 bits
    quint64 value = ~quint64(0);

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class Cue : public Archive::Value<Cue>
{
public:
    static constexpr quint32 kTypeCode = 174;
    static constexpr qint32 kNoTime = 0x7FFFFFFF;

    // The look fades in 200 ms.
    Cue();

    bool operator==(const Cue&) const = default;

    Look look;
    qint32 time = kNoTime;
    std::vector<CueMacro> macros;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Value<Cue>;

class Cuelist : public Archive::Object<Cuelist>
{
public:
    static constexpr quint32 kTypeCode = 176;
    static constexpr Archive::ArrayId kArrayId = 15;

    bool operator==(const Cuelist&) const = default;

    std::vector<Cue> cues;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<Cuelist>;

#endif  // LX_OBJECTS_PROGRAMMING_CUELIST_H
