// DaliInterface (array 12) is one DALI line of a controller: the fixture on
// each short address, the line's groups of addresses and its emergency-test
// settings. DaliGroup is one named group, a plain value the interface holds.
//
// A new interface holds 64 address values and no group. What a stream holds
// is kept as read, so an interface writes back what it read: an address list
// of another length, more than 16 groups or groups numbered 16 and above.
// The setters never reach past what is held.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_DALI_DALI_INTERFACE_H
#define LX_OBJECTS_DALI_DALI_INTERFACE_H

#include "components/archive/object.h"
#include "components/lx_objects/dali/dali_test_schedule.h"

#include <QString>

#include <bitset>
#include <map>
#include <vector>

struct DaliGroup
{
    static constexpr quint32 kTypeCode = 132;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const DaliGroup&) const = default;

    QString name;
    std::bitset<64> members;  // bit n: short address n

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class DaliInterface : public Archive::Object<DaliInterface>
{
public:
    static constexpr quint32 kTypeCode = 134;
    static constexpr Archive::ArrayId kArrayId = 12;
    static constexpr quint32 kAddressCount = 64;
    static constexpr quint32 kMaxGroups = 16;
    static constexpr quint32 kNone = 0xFFFFFFFF;

    DaliInterface();

    // Adds an empty group under `number` (kNone: the lowest free number) and
    // answers the number used; kNone, changing nothing, when 16 groups exist
    // or the number is 16 or above or taken.
    quint32 addGroup(quint32 number);
    // An address of 64 or above, or beyond the values held, is ignored.
    void setAddressValue(quint8 address, quint32 value);
    // Index 0 replaces the first schedule, 1 the second; any other is ignored.
    void setTestSchedule(quint32 index, const DaliTestSchedule& schedule);

    bool operator==(const DaliInterface&) const = default;

    quint32 interfaceNumber = 0;  // DaliFixtureProperties::interfaceNumber refers to it
    QString name;
    std::vector<quint32> addressValues;  // the Fixture's object id at each short address; kNone for none
    std::map<quint32, DaliGroup> groups;
    bool flag = false;
    DaliTestSettings testSettings;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<DaliInterface>;

#endif  // LX_OBJECTS_DALI_DALI_INTERFACE_H
