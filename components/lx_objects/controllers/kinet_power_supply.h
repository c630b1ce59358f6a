// KinetPowerSupply (array 21) is one KiNET power supply on a controller: its
// type as the power-supply list describes it (name, ports, protocol version,
// chromasic), its address, its number on the controller and two texts.
// Supplies older than version 100 named their type by a number, which the
// reader parks in kinetPowerSupplySideTable().
//
// Owned by the database like every archive object; one thread edits a copy.
#ifndef LX_OBJECTS_CONTROLLERS_KINET_POWER_SUPPLY_H
#define LX_OBJECTS_CONTROLLERS_KINET_POWER_SUPPLY_H

#include "components/archive/object.h"
#include "components/lx_objects/common/upgrade_side_table.h"

#include <QString>

class KinetPowerSupply : public Archive::Object<KinetPowerSupply>
{
public:
    static constexpr quint32 kTypeCode = 200;
    static constexpr Archive::ArrayId kArrayId = 21;

    bool operator==(const KinetPowerSupply&) const = default;

    QString typeName;
    quint32 portCount = 0;
    quint8 protocolVersion = 0;
    bool chromasic = false;
    quint32 ipAddress = 0;  // the first octet in the most significant byte
    quint32 supplyNumber = 0;
    QString name;
    QString comment;

private:
    friend class Archive::FieldAccess;
    template <class F, class Self>
    static void fields(F& f, Self& s);
};
extern template class Archive::Object<KinetPowerSupply>;

// The type numbers of supplies older than version 100, by supply id.
UpgradeSideTable<quint32, quint32>& kinetPowerSupplySideTable();

#endif  // LX_OBJECTS_CONTROLLERS_KINET_POWER_SUPPLY_H
