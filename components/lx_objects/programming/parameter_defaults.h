// The defaults a body type writes into its parameter block when a body takes
// that type, as a table per type: each entry is a value of some width at an
// offset, with a second value for the alternative default set (actions
// converted from a version-1 show), and may be kept when the old type is
// related to the new one or is one given type. A value can also be the id of
// the only timeline, scene or DALI interface of the current database.
//
// Constant tables; writeParameterDefaults reads the current database (the
// committed objects of arrays 6, 12 and 14) and runs on any thread.
#ifndef LX_OBJECTS_PROGRAMMING_PARAMETER_DEFAULTS_H
#define LX_OBJECTS_PROGRAMMING_PARAMETER_DEFAULTS_H

#include "components/lx_objects/programming/parameter_block.h"

#include <QtGlobal>

#include <initializer_list>
#include <vector>

enum class DefaultSource : quint8 {
    Value,
    Timeline,       // the id of the only timeline, -1 without one
    Scene,          // the id of the only scene
    DaliInterface,  // the id of the only DALI interface
    DaliBroadcast,  // value with its low byte taken from the DALI interface id
};

struct ParameterDefault
{
    ParameterKind kind;  // the width written (a block kind)
    quint8 offset = 0;
    quint64 value = 0;
    quint64 altValue = 0;
    bool unlessRelated = false;  // kept when the old type is related
    int unlessOldType = -1;      // kept when the old type is this one
    DefaultSource source = DefaultSource::Value;
};

using DefaultRow = std::vector<ParameterDefault>;

// Builders of table entries.
namespace ParameterDefaults {

inline ParameterDefault to(ParameterKind kind, quint8 offset, quint64 value)
{
    return ParameterDefault {kind, offset, value, value};
}

inline ParameterDefault alt(ParameterKind kind, quint8 offset, quint64 value, quint64 altValue)
{
    return ParameterDefault {kind, offset, value, altValue};
}

inline ParameterDefault idOf(DefaultSource source, ParameterKind kind, quint8 offset, quint64 value = 0)
{
    ParameterDefault entry = to(kind, offset, value);
    entry.source = source;
    return entry;
}

inline ParameterDefault unlessRelated(ParameterDefault entry)
{
    entry.unlessRelated = true;
    return entry;
}

inline DefaultRow unlessRelated(std::initializer_list<ParameterDefault> entries)
{
    DefaultRow row;
    for (const ParameterDefault& entry : entries)
        row.push_back(unlessRelated(entry));
    return row;
}

inline ParameterDefault unlessOldType(int oldType, ParameterDefault entry)
{
    entry.unlessOldType = oldType;
    return entry;
}

inline DefaultRow operator+(DefaultRow row, const DefaultRow& more)
{
    row.insert(row.end(), more.begin(), more.end());
    return row;
}

}  // namespace ParameterDefaults

// The value an entry writes: its own, or the looked-up id.
quint64 defaultValue(const ParameterDefault& entry, bool altDefaults);

// Writes the entries of `row` that the change from oldType does not keep.
template <std::size_t N>
void writeParameterDefaults(ParameterBlock<N>& block, const DefaultRow& row, int oldType, bool related,
                            bool altDefaults)
{
    for (const ParameterDefault& entry : row) {
        if ((entry.unlessRelated && related) || (entry.unlessOldType >= 0 && entry.unlessOldType == oldType))
            continue;
        setParameter(block, entry.kind, entry.offset, defaultValue(entry, altDefaults));
    }
}

// Whether both types are in one of `groups`.
bool inOneGroup(int oldType, int newType, std::initializer_list<std::initializer_list<int>> groups);

bool oneOfTypes(int type, std::initializer_list<int> types);

// The id of the project's one DALI interface: 0xFFFFFFFF with none, several
// or no current database.
quint32 onlyDaliInterfaceId();

#endif  // LX_OBJECTS_PROGRAMMING_PARAMETER_DEFAULTS_H
