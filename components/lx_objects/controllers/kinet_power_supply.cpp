#include "components/lx_objects/controllers/kinet_power_supply.h"

#include "components/archive/fields.h"

template <class F, class Self>
void KinetPowerSupply::fields(F& f, Self& s)
{
    f.since(100, s.typeName, s.portCount, s.protocolVersion, s.chromasic).orRead([](InStream& in, auto&...) {
        quint32 type = 0;
        in >> type;
        in.checkStatus();
        kinetPowerSupplySideTable().put(sideTableKey(in), type);
    });
    f(s.ipAddress, s.supplyNumber, s.name, s.comment);
}

UpgradeSideTable<quint32, quint32>& kinetPowerSupplySideTable()
{
    static UpgradeSideTable<quint32, quint32> table;
    return table;
}

template class Archive::Object<KinetPowerSupply>;
