#include "components/lx_objects/interface/interface_objects.h"

#include "components/archive/type_registry.h"
#include "components/lx_objects/common/static_tables.h"

#include <stdexcept>

void throwNoStreamLayout(quint32 code)
{
    const ObjectRegistry::Record* record = ObjectRegistry::instance().find(code);
    const QString name = record ? record->name : QStringLiteral("an unregistered type");
    throw std::runtime_error(
        QStringLiteral("No stream layout is specified for %1 (code %2)").arg(name).arg(code).toStdString());
}

InterfacePageSwitcher::InterfacePageSwitcher() : m_fontFamily(kDefaultFontFamily) {}
