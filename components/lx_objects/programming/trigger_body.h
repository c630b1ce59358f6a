// TriggerBody<NoneType, IoModuleType, ParameterBytes> is what the trigger,
// action and condition bodies share: a type that selects the body's row of
// parameters (parameter_block.h), the remote-device key, the parameter block
// and the IO-module data that only the IO-module type holds. Copies of a body
// never share that data (Archive::ValuePtr copies what it owns).
//
// A body class derives from it, adds its own values and its field list, and
// takes the reset that keeps the type where older data stores the type in
// the owner.
//
// Plain values; one thread uses one at a time.
#ifndef LX_OBJECTS_PROGRAMMING_TRIGGER_BODY_H
#define LX_OBJECTS_PROGRAMMING_TRIGGER_BODY_H

#include "components/archive/value_ptr.h"
#include "components/lx_objects/programming/parameter_block.h"
#include "components/lx_objects/programming/trigger_values.h"

#include <cstddef>
#include <vector>

template <int NoneType, int IoModuleType, std::size_t ParameterBytes>
class TriggerBody
{
public:
    // A new body's type, outside every row.
    static constexpr int kNoneType = NoneType;
    static constexpr int kIoModuleType = IoModuleType;
    static constexpr std::size_t kParameterBytes = ParameterBytes;

    int type() const { return m_type; }
    // Stores the type; entering the IO-module type makes new IO-module data
    // and leaving it drops the data. Nothing else changes.
    void setType(int type)
    {
        if (type == m_type)
            return;
        if (m_type == kIoModuleType)
            ioModuleData.reset();
        m_type = type;
        if (type == kIoModuleType)
            ioModuleData = Archive::ValuePtr<IoMTriggerData>::make();
    }

    bool operator==(const TriggerBody&) const = default;

    RDKey remoteDevice;
    // Non-null only while the type is the IO-module type.
    Archive::ValuePtr<IoMTriggerData> ioModuleData;
    ParameterBlock<kParameterBytes> parameters;

protected:
    // A read's reset that keeps the type: older data stores it in the owner,
    // which reads it before the body.
    template <class Body>
    static void resetKeepingType(Body& body)
    {
        const int typeFromOwner = body.m_type;
        body = Body();
        body.setType(typeFromOwner);
    }

    int m_type = kNoneType;
};

// The row of a type in a table of rows; an empty row for a type outside it.
inline const ParameterRow& parameterRowOf(const std::vector<ParameterRow>& rows, int type)
{
    static const ParameterRow none;
    return type >= 0 && std::size_t(type) < rows.size() ? rows[std::size_t(type)] : none;
}

#endif  // LX_OBJECTS_PROGRAMMING_TRIGGER_BODY_H
