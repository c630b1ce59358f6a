// TimecodeBuses is the project's table of 12 timecode inputs: whether each is
// used and its two values. A project keeps one, as object 3 of array 0.
// Stored data may hold a longer table, which is kept as read; the operations
// reach the first 12 buses and ignore any other index.
//
// TimecodeBusSetting is a plain value; TimecodeBuses is owned by the database
// like every archive object. One thread edits a copy.
#ifndef LX_OBJECTS_PROJECT_TIMECODE_BUSES_H
#define LX_OBJECTS_PROJECT_TIMECODE_BUSES_H

#include "components/archive/object.h"

#include <vector>

struct TimecodeBusSetting
{
    static constexpr quint32 kTypeCode = 117;

    quint32 typeCode() const { return kTypeCode; }
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const TimecodeBusSetting&) const = default;

    bool isUsed = false;
    quint16 value1 = 0;
    quint16 value2 = 0;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

class TimecodeBuses : public Archive::Object<TimecodeBuses>
{
public:
    static constexpr quint32 kTypeCode = 104;
    static constexpr Archive::ArrayId kArrayId = 0;
    static constexpr int kCount = 12;

    // An index beyond the table counts as used, so nobody takes it.
    bool isUsed(int index) const;
    // Using a used bus or releasing an unused one is reported as a logic
    // error; the bus then is used or unused all the same.
    void use(int index);
    void release(int index);
    void setValue1(int index, quint16 value);
    void setValue2(int index, quint16 value);

    const std::vector<TimecodeBusSetting>& settings() const { return m_settings; }

    bool operator==(const TimecodeBuses&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void afterRead(InStream& in);
    // The bus at index when it is one of the first kCount, else null.
    TimecodeBusSetting* bus(int index);

    std::vector<TimecodeBusSetting> m_settings = std::vector<TimecodeBusSetting>(kCount);
};
extern template class Archive::Object<TimecodeBuses>;

#endif  // LX_OBJECTS_PROJECT_TIMECODE_BUSES_H
