#include "applications/morvant/conversion/conversion_context.h"

#include "components/quilshow/show/fixture.h"
#include "components/quilshow/show/show_streamer.h"

void ConversionContext::remove(Archive::ArrayId array, Archive::ObjectId id) const
{
    Archive::ObjectPtr object;
    Archive::getObject(object, array, id, database);
    if (object.isObject())
        Archive::removeObject(array, object, database);
}

QString oneLine(const std::string& text) { return Quil::toQString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')); }

QString controllerName(quint32 node) { return QStringLiteral("controller ") + QString::number(quint64(node) + 1); }

QString controllerWithNode(quint32 node)
{
    return QStringLiteral("controller %1 (output node %2)").arg(quint64(node) + 1).arg(node);
}

QString supplyName(quint32 node, quint32 supply, const QString& name)
{
    return ConversionReport::itemName("KiNET power supply", supply, name) + QStringLiteral(" of ")
        + controllerName(node);
}

QString fixtureItem(const Quil::Fixture& fixture)
{
    return ConversionReport::itemName("fixture", fixture.id(), Quil::toQString(fixture.planSettings.name));
}
