// TriggerCondition is one test that must hold before a trigger's actions run
// (array 17): its body (TriggerConditionData: the condition type and that
// type's parameters), a flag, and the owner number that the converter gives
// to all the conditions and actions it makes for one trigger. The trigger
// lists the condition's id.
//
// TriggerConditionData is a plain value that the converter fills outside the
// database and hands over with TriggerCondition::setData. Unlike trigger and
// action bodies it has no controller selection, serial string, text or MIDI
// messages. setTriggerConditionType() changes its type the way an editor
// does: the new type's defaults are written and types 0 and 1 keep their
// object id between them.
//
// Type 16 is the IO-module type: only then does a body hold IoMTriggerData,
// and copies of a body never share it. A type byte outside 0 to 18 read from
// a file is kept and written back; it has no parameters.
//
// Owned by the database like every archive object; one thread edits a copy.
// TriggerConditionData is used by one thread at a time;
// setTriggerConditionType reads the current database (the only timeline,
// scene and DALI interface).
#ifndef LX_OBJECTS_PROGRAMMING_TRIGGER_CONDITION_H
#define LX_OBJECTS_PROGRAMMING_TRIGGER_CONDITION_H

#include "components/archive/object.h"
#include "components/archive/value_ptr.h"
#include "components/lx_objects/programming/date_time_mask.h"
#include "components/lx_objects/programming/parameter_block.h"
#include "components/lx_objects/programming/trigger_body.h"
#include "components/lx_objects/programming/trigger_values.h"

// Types 0 to 18; 19 (none) is a new body's, 16 the IO-module type.
class TriggerConditionData : public TriggerBody<19, 16, 16>
{
public:
    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const TriggerConditionData&) const = default;

    DateTimeMask mask;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
    void resetForRead() { resetKeepingType(*this); }
};

// Changes body's type with the new type's defaults.
void setTriggerConditionType(TriggerConditionData& body, int type);

// What each condition type streams after the body's head; empty for types
// outside 0 to 18.
const ParameterRow& conditionParameterRow(int type);

class TriggerCondition : public Archive::Object<TriggerCondition>
{
public:
    static constexpr quint32 kTypeCode = 108;
    static constexpr Archive::ArrayId kArrayId = 17;

    TriggerCondition() = default;

    qint32 ownerId() const { return m_ownerId; }
    void setOwnerId(qint32 id) { m_ownerId = id; }
    bool flag() const { return m_flag; }
    void setFlag(bool flag) { m_flag = flag; }

    const TriggerConditionData& data() const { return m_body; }
    // The body becomes a copy of data, with IO-module data of its own.
    void setData(const TriggerConditionData& data) { m_body = data; }

    bool operator==(const TriggerCondition&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    qint32 m_ownerId = -1;
    bool m_flag = false;
    TriggerConditionData m_body;
};
extern template class Archive::Object<TriggerCondition>;

#endif  // LX_OBJECTS_PROGRAMMING_TRIGGER_CONDITION_H
