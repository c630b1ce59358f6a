#include "components/fixture_library/kinet_power_supply_list.h"

#include "components/fixture_library/library_files.h"

#include <QFile>

// Outside any namespace, as Q_INIT_RESOURCE needs: the resources of a static
// library are only linked in when their initialiser is referenced.
static void initFixtureLibraryResources() { Q_INIT_RESOURCE(fixture_library); }

const char* const KinetPowerSupplyList::kResourcePath = ":/fixture_library/kinet_power_supplies.csv";

KinetPowerSupplyList& KinetPowerSupplyList::instance()
{
    static KinetPowerSupplyList* const list = new KinetPowerSupplyList;
    return *list;
}

void KinetPowerSupplyList::load(MessageHandler& messages)
{
    initFixtureLibraryResources();
    const QString path = QLatin1String(kResourcePath);
    QFile file(path);
    load(file, path, messages);
}

void KinetPowerSupplyList::load(QIODevice& device, const QString& fileName, MessageHandler& messages)
{
    m_supplies.clear();
    readCsvList(device, fileName, 5, messages, [this](const QStringList& fields) -> std::optional<QString> {
        const auto index = decimalNumber(fields[0], 0xFFFFFFFFu);
        const auto ports = decimalNumber(fields[2], 0xFFFFFFFFu);
        const auto protocol = decimalNumber(fields[3], 0xFFFFFFFFu);
        const auto chromasic = decimalNumber(fields[4], 1);
        for (const auto& [value, text] :
             {std::pair(index, 0), std::pair(ports, 2), std::pair(protocol, 3), std::pair(chromasic, 4)}) {
            if (!value)
                return fields[text];
        }
        m_supplies[*index] = KinetPowerSupplyModel {fields[1], *ports, *protocol, *chromasic == 1};
        return std::nullopt;
    });
}

std::optional<KinetPowerSupplyModel> KinetPowerSupplyList::find(quint32 modelIndex) const
{
    const auto found = m_supplies.find(modelIndex);
    if (found == m_supplies.end())
        return std::nullopt;
    return found->second;
}
