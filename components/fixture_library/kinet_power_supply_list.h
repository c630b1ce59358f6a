// KinetPowerSupplyList is what the program knows of KiNET power supplies by
// the model index a version-1 show stores: the type name, the number of
// ports, the KiNET protocol version and whether the supply is chromasic.
// The list is the resource ":/fixture_library/kinet_power_supplies.csv",
// one supply a line: "model index, type name, ports, protocol, chromasic
// (0|1)".
//
// instance() is made on first use and lives until the process ends. GUI
// thread only.
#ifndef FIXTURE_LIBRARY_KINET_POWER_SUPPLY_LIST_H
#define FIXTURE_LIBRARY_KINET_POWER_SUPPLY_LIST_H

#include <QString>

#include <map>
#include <optional>

class MessageHandler;
class QIODevice;

// One row of the list; a project's own supplies are the KinetPowerSupply
// objects of lx_objects.
struct KinetPowerSupplyModel
{
    QString typeName;
    quint32 ports = 0;
    quint32 protocolVersion = 0;
    bool chromasic = false;

    bool operator==(const KinetPowerSupplyModel&) const = default;
};

class KinetPowerSupplyList
{
public:
    static const char* const kResourcePath;

    static KinetPowerSupplyList& instance();

    // Replaces the list by the resource's rows; bad lines go to messages.
    void load(MessageHandler& messages);
    // The same from a device (opened for reading when it is not open).
    void load(QIODevice& device, const QString& fileName, MessageHandler& messages);

    std::optional<KinetPowerSupplyModel> find(quint32 modelIndex) const;
    std::size_t size() const { return m_supplies.size(); }

private:
    std::map<quint32, KinetPowerSupplyModel> m_supplies;
};

#endif  // FIXTURE_LIBRARY_KINET_POWER_SUPPLY_LIST_H
