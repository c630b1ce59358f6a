// Trigger is one input event of a show (array 16): its body (TriggerData:
// the trigger type, that type's parameters and the controller that watches
// for it), a name, a second text, a sort value, an option, three flags and
// the ids of its conditions and actions. Trigger numbers live in the
// TriggerDirectory, not here.
//
// TriggerData is a plain value that the converter fills outside the
// database and hands over with Trigger::setData. setTriggerType() changes
// its type the way an editor does: the new type's defaults are written, a
// few related types keep their first parameter, values the new type does
// not use are emptied, and the controller selection is recomputed.
//
// Type 33 is the IO-module type: only then does a body hold IoMTriggerData,
// and copies of a body never share it. A type byte outside 0 to 34 read
// from a file is kept and written back; it has no parameters.
//
// Owned by the database like every archive object; one thread edits a copy.
// TriggerData is used by one thread at a time; setTriggerType reads the
// current database (the DALI interfaces of array 12).
#ifndef LX_OBJECTS_PROGRAMMING_TRIGGER_H
#define LX_OBJECTS_PROGRAMMING_TRIGGER_H

#include "components/archive/object.h"
#include "components/archive/value_ptr.h"
#include "components/lx_objects/programming/date_time_mask.h"
#include "components/lx_objects/programming/parameter_block.h"
#include "components/lx_objects/programming/trigger_body.h"
#include "components/lx_objects/programming/trigger_values.h"

#include <QString>

#include <list>
#include <memory>
#include <vector>

// Controller selection numbers of trigger and action bodies; 0 and above is
// the object id of a controller.
enum ControllerSelection : qint32 {
    DefaultControllerSelection = -2,
    RemoteDeviceControllerSelection = -3,  // the device named by the body's key
    FixedControllerSelection = -4,
    DaliControllerSelection = -5,
    NoSecondControllerSelection = -6,  // a new body's second selection
    IoModuleControllerSelection = -7,
};

// Types 0 to 34; 35 (none) is a new body's, 33 the IO-module type.
class TriggerData : public TriggerBody<35, 33, 16>
{
public:
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const TriggerData&) const = default;

    qint32 controllerSelection = DefaultControllerSelection;
    qint32 secondControllerSelection = NoSecondControllerSelection;
    DateTimeMask mask;
    SerialString serialString;
    QString text;
    std::vector<MidiMessage> midiMessages;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void resetForRead() { resetKeepingType(*this); }
};

// Changes body's type with the new type's defaults and controller selection.
void setTriggerType(TriggerData& body, int type);

// What each trigger type streams after the body's head; empty for types
// outside 0 to 34.
const ParameterRow& triggerParameterRow(int type);

class Trigger : public Archive::Object<Trigger>
{
public:
    static constexpr quint32 kTypeCode = 107;
    static constexpr Archive::ArrayId kArrayId = 16;

    Trigger() = default;

    const TriggerData& data() const { return m_body; }
    // The body becomes a copy of data, with IO-module data of its own.
    void setData(const TriggerData& data);

    const QString& name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }
    const QString& text2() const { return m_text2; }
    void setText2(const QString& text) { m_text2 = text; }
    quint32 sortValue() const { return m_sortValue; }
    void setSortValue(quint32 value) { m_sortValue = value; }
    quint8 option() const { return m_option; }
    void setOption(quint8 option) { m_option = option; }
    bool flagA() const { return m_flagA; }
    void setFlagA(bool flag) { m_flagA = flag; }
    bool flagB() const { return m_flagB; }
    void setFlagB(bool flag) { m_flagB = flag; }
    bool flagC() const { return m_flagC; }
    void setFlagC(bool flag) { m_flagC = flag; }

    const std::list<int>& conditions() const { return m_conditions; }
    const std::list<int>& actions() const { return m_actions; }
    // Insert the id before the element at position; a position below 0 or
    // past the end appends. Answer the position used.
    int insertCondition(int id, int position);
    int insertAction(int id, int position);

    bool operator==(const Trigger&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void afterRead(InStream& in);

    QString m_name;
    QString m_text2;
    TriggerData m_body;
    quint32 m_sortValue = 0;
    quint8 m_option = 0;
    bool m_flagA = true;
    bool m_flagB = true;
    bool m_flagC = true;
    std::list<int> m_conditions;
    std::list<int> m_actions;
};
extern template class Archive::Object<Trigger>;

#endif  // LX_OBJECTS_PROGRAMMING_TRIGGER_H
