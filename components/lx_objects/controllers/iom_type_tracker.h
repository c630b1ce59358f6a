// IoMTypeKey names one trigger, condition or action type of one IO module.
// IoMTypeTracker is the project's record of the numbers given to such types
// and of the numbers still free per kind (keyed by the array id of what the
// types describe: 16 triggers, 17 conditions, 18 actions; all 32768 numbers
// of each free in a new tracker). Nothing here hands numbers out yet: a
// tracker is created, copied and stored as it is.
//
// The tracker is owned by the database like every archive object; one thread
// edits a copy. Keys are plain values.
#ifndef LX_OBJECTS_CONTROLLERS_IOM_TYPE_TRACKER_H
#define LX_OBJECTS_CONTROLLERS_IOM_TYPE_TRACKER_H

#include "components/archive/object.h"
#include "seltrane_components/os/bit_vector.h"

#include <compare>
#include <map>

struct IoMTypeKey
{
    static constexpr quint32 kTypeCode = 331;

    quint32 moduleId = 0xFFFFFFFF;
    quint16 typeIndex = 0xFFFF;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    // By module, then by type.
    auto operator<=>(const IoMTypeKey&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class IoMTypeTracker : public Archive::Object<IoMTypeTracker>
{
public:
    static constexpr quint32 kTypeCode = 284;
    static constexpr quint32 kNumbersPerKind = 32768;

    IoMTypeTracker();

    std::map<IoMTypeKey, quint32> typeNumbers;
    // A set bit is a free number.
    std::map<quint32, BitVector> freeNumbers;

    bool operator==(const IoMTypeTracker&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<IoMTypeTracker>;

#endif  // LX_OBJECTS_CONTROLLERS_IOM_TYPE_TRACKER_H
