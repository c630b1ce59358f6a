// TriggerAction is one thing a trigger does when it fires (array 18): its
// body (TriggerActionData: the action type, that type's parameters and the
// controller that carries it out) and the owner number that the converter
// gives to all the conditions and actions it makes for one trigger. The
// trigger lists the action's id.
//
// TriggerActionData is a plain value that the converter fills outside the
// database and hands over with TriggerAction::setData. setTriggerActionType()
// changes its type the way an editor does: the new type's defaults are
// written (one of two sets: for an action converted from a version-1 show,
// or for a new one), related types keep their leading parameters, values the
// new type does not use are emptied, the DALI address of the DALI types is
// rebuilt and the controller selection recomputed.
//
// Type 46 is the IO-module type: only then does a body hold IoMTriggerData,
// and copies of a body never share it. A type byte outside 0 to 48 read from
// a file is kept and written back; it has no parameters.
//
// Owned by the database like every archive object; one thread edits a copy.
// TriggerActionData is used by one thread at a time; setTriggerActionType
// reads the current database (the only timeline, scene and DALI interface).
#ifndef LX_OBJECTS_PROGRAMMING_TRIGGER_ACTION_H
#define LX_OBJECTS_PROGRAMMING_TRIGGER_ACTION_H

#include "components/archive/object.h"
#include "components/archive/value_ptr.h"
#include "components/lx_objects/programming/parameter_block.h"
#include "components/lx_objects/programming/trigger.h"
#include "components/lx_objects/programming/trigger_body.h"
#include "components/lx_objects/programming/trigger_values.h"

#include <QString>

#include <list>
#include <vector>

// Types 0 to 48; 49 (none) is a new body's, 46 the IO-module type.
class TriggerActionData : public TriggerBody<49, 46, 40>
{
public:
    // A new selection for types 13 to 15 also resets their target: the byte
    // at 0 (4 when leaving the default selection, else 3), the word at 4 and
    // the u16 at 8. An equal selection changes nothing.
    void setController(qint32 selection);

    void read(InStream& in);
    void write(OutStream& out) const;

    bool operator==(const TriggerActionData&) const = default;

    SerialString serialString;
    QString text;
    std::vector<MidiMessage> midiMessages;
    std::list<int> idList;  // copied with the body, never stored
    qint32 controllerSelection = DefaultControllerSelection;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};

// Changes body's type with the new type's defaults (the set for converted
// actions when altDefaults) and controller selection.
void setTriggerActionType(TriggerActionData& body, int type, bool altDefaults);

// What each action type streams after the body's head; empty for types
// outside 0 to 48.
const ParameterRow& actionParameterRow(int type);

class TriggerAction : public Archive::Object<TriggerAction>
{
public:
    static constexpr quint32 kTypeCode = 109;
    static constexpr Archive::ArrayId kArrayId = 18;

    TriggerAction() = default;

    qint32 ownerId() const { return m_ownerId; }
    void setOwnerId(qint32 id) { m_ownerId = id; }

    const TriggerActionData& data() const { return m_body; }
    // The body becomes a copy of data, with IO-module data of its own.
    void setData(const TriggerActionData& data) { m_body = data; }

    bool operator==(const TriggerAction&) const = default;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);

    qint32 m_ownerId = -1;
    TriggerActionData m_body;
};
extern template class Archive::Object<TriggerAction>;

#endif  // LX_OBJECTS_PROGRAMMING_TRIGGER_ACTION_H
