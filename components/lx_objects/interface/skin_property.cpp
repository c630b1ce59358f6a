#include "components/lx_objects/interface/skin_property.h"

#include "components/lx_objects/common/static_tables.h"
#include "components/lx_objects/interface/interface_objects.h"

namespace {

SkinPropertyTable buildTable()
{
    SkinPropertyTable table;
    table.emplace(QStringLiteral("fontFamily"), std::make_unique<StringSkinProperty>(QString(kDefaultFontFamily)));
    return table;
}

template <quint32 SkinCode>
const SkinPropertyTable& skinTableOf()
{
    static const SkinPropertyTable table = buildTable();
    return table;
}

}  // namespace

void SkinProperty::read(InStream&) { throwNoStreamLayout(typeCode()); }

void SkinProperty::write(OutStream&) const { throwNoStreamLayout(typeCode()); }

const SkinPropertyTable& skinPropertyTable(quint32 skinCode)
{
    switch (skinCode) {
    case 1:
        return skinTableOf<1>();
    case 2:
        return skinTableOf<2>();
    case 3:
        return skinTableOf<3>();
    case 4:
        return skinTableOf<4>();
    case 6:
        return skinTableOf<6>();
    case 7:
        return skinTableOf<7>();
    default:
        break;
    }
    static const SkinPropertyTable none;
    return none;
}
