// TriggerScript (array 29) is the Lua text behind a trigger's condition or
// action, with its name and number.
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_PROGRAMMING_TRIGGER_SCRIPT_H
#define LX_OBJECTS_PROGRAMMING_TRIGGER_SCRIPT_H

#include "components/archive/object.h"

#include <QString>

class TriggerScript : public Archive::Object<TriggerScript>
{
public:
    static constexpr quint32 kTypeCode = 187;
    static constexpr Archive::ArrayId kArrayId = 29;

    const QString& name() const { return m_name; }
    // A name is one line: each line break ("\r\n", "\n" or "\r") becomes a
    // space.
    void setName(const QString& name);

    bool operator==(const TriggerScript&) const = default;

    quint32 number = 0;
    QString source;  // Lua

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    QString m_name;
};
extern template class Archive::Object<TriggerScript>;

#endif  // LX_OBJECTS_PROGRAMMING_TRIGGER_SCRIPT_H
