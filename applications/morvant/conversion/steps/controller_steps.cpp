// Controllers, their KiNET power supplies, remote devices and universes, and
// the merge of KiNET power supplies that share an address.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/conversion_driver.h"
#include "applications/morvant/conversion/enum_conversions.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "components/archive/archive_exception.h"
#include "components/fixture_library/kinet_power_supply_list.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/controllers/kinet_power_supply.h"
#include "components/lx_objects/controllers/remote_device.h"
#include "components/lx_objects/fixtures/fixture_element.h"
#include "components/quilshow/show/quil_show.h"
#include "seltrane_components/os/logger.h"

#include <map>
#include <set>
#include <vector>

namespace {

// The hardware type of a node that names no known controller.
const quint8 kUnmappedControllerType = 255;
// IPv4 addresses that name no device: unset, and the default of new supplies.
const quint32 kUnsetAddress = 0;
const quint32 kDefaultKinetAddress = 0x0A000000;

QString supplyName(const Quil::KiNETPowerSupply& from, quint32 node)
{
    return ConversionReport::itemName("KiNET power supply", from.id(), oneLine(from.text1))
        + QStringLiteral(" of controller %1").arg(node);
}

Archive::Pointer<KinetPowerSupply> powerSupplyOf(const Quil::KiNETPowerSupply& from, quint32 node)
{
    auto supply = Archive::makeObject<KinetPowerSupply>();
    if (const auto model = KinetPowerSupplyList::instance().find(from.model)) {
        supply->typeName = model->typeName;
        supply->portCount = model->ports;
        supply->protocolVersion = quint8(model->protocolVersion);
        supply->chromasic = model->chromasic;
    } else {
        logMessage(kLogWarning,
                   "Failed to convert KiNET power supply model %u: %s arrives without its type, ports and protocol "
                   "(the KiNET power-supply list does not hold the model); set them in the new project",
                   from.model, utf8(supplyName(from, node)).constData());
    }
    supply->ipAddress = from.ipAddress;
    supply->supplyNumber = from.number;
    supply->name = oneLine(from.text1);
    supply->comment = oneLine(from.text2);
    return supply;
}

Archive::Pointer<Controller> controllerOf(const Quil::OutputNode& node)
{
    auto controller = Archive::makeObject<Controller>();
    // The node's interface configuration, which names the hardware, is not
    // read yet.
    controller->setType(kUnmappedControllerType);
    logMessage(kLogWarning,
               "Controller %d arrives with the unknown hardware type 255, as the show's description of its hardware "
               "is not read: choose its hardware in the new project",
               int(node.id()));
    // Version-1 controllers are shown numbered from 1.
    controller->number = quint16(node.id() + 1);
    // A stored controller always has its text 0: a new one is given it, so
    // that the saved project reads back as it was written.
    controller->setText(QString(), 0);
    const Quil::OutputNodeInterfaceConfig& config = node.interfaceConfig;
    controller->serialBaudRate = config.baudRate;
    controller->serialDataBits = config.dataBits;
    controller->serialStopBits = config.stopBits;
    const EnumConversion& parity = EnumConversions::kSerialParity;
    controller->serialParity = quint32(parity.convertFor(
        config.parity, parity.fallback, [&] { return QStringLiteral("controller %1").arg(node.id()); }));
    return controller;
}

// The reason an add failed, as a user reads it: a full array as its limit.
QString addFailure(const std::exception& error)
{
    Archive::ArrayId array = 0;
    return isNoRoom(error, &array) ? ConversionReport::limitText(array) : exceptionText(error);
}

void convertPowerSupplies(ConversionContext& context, const Quil::OutputNode& node, Archive::ObjectId controllerId)
{
    for (const Quil::KiNETPowerSupply& from : node.powerSupplies) {
        if (controllerId == Archive::kNoObjectId) {
            context.report.ignore(ReportKind::KinetPowerSupplies, supplyName(from, node.id()),
                                  QStringLiteral("the controller was not converted"),
                                  "their controller was not converted");
            continue;
        }
        try {
            const Archive::ObjectId id = context.add(KinetPowerSupply::kArrayId, powerSupplyOf(from, node.id()));
            context.ids.insert(IdKind::KinetPowerSupply, IdMaps::nodeKey(node.id(), from.id()), id);
            context.report.made(ReportKind::KinetPowerSupplies);
        } catch (const Archive::archive_exception& error) {
            if (isNoRoom(error))
                context.report.ignoreForLimit(ReportKind::KinetPowerSupplies, supplyName(from, node.id()),
                                              KinetPowerSupply::kArrayId);
            else
                context.report.ignore(ReportKind::KinetPowerSupplies, supplyName(from, node.id()), exceptionText(error),
                                      "the project refused them");
        }
    }
}

// A type-1 controller names the controller that proxies for it through the
// node link table.
void linkProxyControllers(ConversionContext& context)
{
    const IdMaps& ids = context.ids;
    for (const Quil::OutputNode& node : context.show.outputNodes().nodes) {
        const qint64 proxy = context.show.outputNodes().lookupId(node.id());
        const Archive::ObjectId controllerId = ids.find(IdKind::Controller, node.id());
        if (proxy < 0 || controllerId == Archive::kNoObjectId || !ids.contains(IdKind::Controller, quint32(proxy)))
            continue;
        Archive::ObjectPtr object;
        if (auto* controller = context.edit<Controller>(Controller::kArrayId, controllerId, object);
            controller && controller->type() == 1)
            controller->setOption32D(ids.find(IdKind::Controller, quint32(proxy)));
    }
}

// What names no controller of its own belongs to the show's chosen one,
// else to the first.
void chooseNetworkPrimary(ConversionContext& context)
{
    IdMaps& ids = context.ids;
    const quint32 chosen = context.show.settings.controllerId;
    if (ids.contains(IdKind::Controller, chosen)) {
        ids.networkPrimaryController = ids.find(IdKind::Controller, chosen);
        return;
    }
    for (const Quil::OutputNode& node : context.show.outputNodes().nodes) {
        if (ids.contains(IdKind::Controller, node.id())) {
            ids.networkPrimaryController = ids.find(IdKind::Controller, node.id());
            return;
        }
    }
}

}  // namespace

void ConversionSteps::convertControllers(ConversionContext& context)
{
    context.report.touch(ReportKind::Controllers);
    context.report.touch(ReportKind::KinetPowerSupplies);
    for (const Quil::OutputNode& node : context.show.outputNodes().nodes) {
        Archive::ObjectId controllerId = Archive::kNoObjectId;
        const QString name = QStringLiteral("controller %1").arg(node.id());
        try {
            controllerId = context.add(Controller::kArrayId, controllerOf(node));
            context.ids.insert(IdKind::Controller, node.id(), controllerId);
            context.report.made(ReportKind::Controllers);
        } catch (const Archive::archive_exception& error) {
            if (isNoRoom(error))
                context.report.ignoreForLimit(ReportKind::Controllers, name, Controller::kArrayId);
            else
                context.report.ignore(ReportKind::Controllers, name, exceptionText(error), "the project refused them");
        }
        convertPowerSupplies(context, node, controllerId);
    }
    context.report.flushLimits();
    linkProxyControllers(context);
    chooseNetworkPrimary(context);
}

Archive::ObjectId ConversionSteps::remoteDeviceFor(ConversionContext& context, const Quil::RDKey& from)
{
    IdMaps& ids = context.ids;
    RDKey key;
    const EnumConversion& type = EnumConversions::kRemoteDeviceType;
    key.type = quint8(type.convertFor(from.kind, type.fallback, [&] {
        return QStringLiteral("remote device number %1, which arrives as of type %2")
            .arg(from.number)
            .arg(type.fallback);
    }));
    key.index = from.number;
    const quint32 mapKey = IdMaps::deviceKey(key.type, key.index);
    if (!ids.contains(IdKind::RemoteDevice, mapKey)) {
        const QString name = QStringLiteral("remote device type %1, number %2").arg(from.kind).arg(from.number);
        try {
            auto device = Archive::makeObject<RemoteDevice>(key);
            // As for controllers: the text 0 that every stored device has.
            device->setName(QString(), 0);
            device->controllerId = ids.networkPrimaryController;
            ids.insert(IdKind::RemoteDevice, mapKey, context.add(RemoteDevice::kArrayId, device));
            context.report.made(ReportKind::RemoteDevices);
        } catch (const Archive::archive_exception& error) {
            if (isNoRoom(error))
                context.report.ignoreForLimit(ReportKind::RemoteDevices, name, RemoteDevice::kArrayId);
            else
                context.report.ignore(ReportKind::RemoteDevices, name, exceptionText(error),
                                      "the project refused them");
            // Not tried again: what names the device is reported with its own line.
            ids.insert(IdKind::RemoteDevice, mapKey, Archive::kNoObjectId);
        }
    }
    return ids.find(IdKind::RemoteDevice, mapKey);
}

Archive::ObjectId ConversionSteps::universeFor(ConversionContext& context, quint32 controllerId, const UniverseKey& key,
                                               const QString** reason)
{
    if (key.kind == UniverseKey::NoKind)
        return Archive::kNoObjectId;
    Archive::ObjectId id = context.ids.findUniverse(controllerId, key);
    if (id != Archive::kNoObjectId)
        return id;
    const std::pair<quint32, UniverseKey> owner(controllerId, key);
    auto failed = context.failedUniverses.find(owner);
    if (failed == context.failedUniverses.end()) {
        QString failure;
        if (context.universesFull) {
            failure = ConversionReport::limitText(Universe::kArrayId);
        } else {
            try {
                id = context.add(Universe::kArrayId, Archive::makeObject<Universe>(controllerId, key));
                context.ids.insertUniverse(controllerId, key, id);
                context.report.made(ReportKind::Universes);
                return id;
            } catch (const Archive::archive_exception& error) {
                context.universesFull = isNoRoom(error);
                failure = addFailure(error);
            }
        }
        failed = context.failedUniverses.emplace(owner, failure).first;
    }
    if (reason)
        *reason = &failed->second;
    return Archive::kNoObjectId;
}

void ConversionSteps::convertRemoteDevices(ConversionContext& context)
{
    context.report.touch(ReportKind::RemoteDevices);
    // The map's values are not known to mean anything a device keeps.
    for (const auto& entry : context.show.outputNodes().remoteDevices)
        remoteDeviceFor(context, entry.first);
    context.report.flushLimits();
}

void ConversionSteps::convertDsxDmxUniverses(ConversionContext& context)
{
    IdMaps& ids = context.ids;
    ConversionReport& report = context.report;
    report.touch(ReportKind::DsxDmxUniverses);
    report.touch(ReportKind::Universes);
    for (const Quil::OutputNode& node : context.show.outputNodes().nodes) {
        const Archive::ObjectId controllerId = ids.find(IdKind::Controller, node.id());
        for (const Quil::DSXDMXUniverseKey& from : node.universeKeys) {
            const QString name = QStringLiteral("DSX DMX universe %1 of controller %2").arg(from.id()).arg(node.id());
            if (controllerId == Archive::kNoObjectId) {
                report.ignore(ReportKind::DsxDmxUniverses, name, QStringLiteral("the controller was not converted"),
                              "their controller was not converted");
                continue;
            }
            const Archive::ObjectId deviceId = remoteDeviceFor(context, from.key);
            if (deviceId == Archive::kNoObjectId) {
                report.ignore(ReportKind::DsxDmxUniverses, name, QStringLiteral("its remote device was not converted"),
                              "their remote device was not converted");
                continue;
            }
            UniverseKey key;
            key.kind = UniverseKey::DsxDmx;
            key.a = deviceId;
            const QString* reason = nullptr;
            const Archive::ObjectId universeId = universeFor(context, controllerId, key, &reason);
            if (universeId == Archive::kNoObjectId) {
                report.ignore(ReportKind::DsxDmxUniverses, name, *reason, "the project refused their universe");
                continue;
            }
            ids.insert(IdKind::Universe, IdMaps::nodeKey(node.id(), from.id()), universeId);
            report.made(ReportKind::DsxDmxUniverses);
        }
    }
    report.flushLimits();
}

namespace {

QString ipv4Text(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

// Each converted supply once, by id, with the version-1 items that map to it.
struct MergedSupply
{
    quint32 ipAddress = 0;
    quint32 number = 0;
    QString name;
    std::vector<quint32> quilKeys;
};

std::map<Archive::ObjectId, MergedSupply> convertedSupplies(const ConversionContext& context)
{
    std::map<Archive::ObjectId, MergedSupply> supplies;
    for (const auto& [quilKey, id] : context.ids.entries(IdKind::KinetPowerSupply)) {
        if (id == Archive::kNoObjectId)
            continue;
        Archive::ObjectPtr holder;
        Archive::getObject(holder, KinetPowerSupply::kArrayId, id, context.database);
        const auto* supply = dynamic_cast<const KinetPowerSupply*>(holder.get());
        if (!supply)
            continue;
        MergedSupply& entry = supplies[id];
        entry.ipAddress = supply->ipAddress;
        entry.number = supply->supplyNumber;
        entry.name = supply->name;
        entry.quilKeys.push_back(quilKey);
    }
    return supplies;
}

// "KiNET power supply 0 (PSU) of controller 2", from its version-1 key.
QString supplyLabel(quint32 quilKey, const QString& name)
{
    return ConversionReport::itemName("KiNET power supply", quilKey & 0xFFFF, name)
        + QStringLiteral(" of controller %1").arg(quilKey >> 16);
}
QString supplyLabel(Archive::ObjectId, const MergedSupply& supply)
{
    return supplyLabel(supply.quilKeys.front(), supply.name);
}

// Moves the patches of the element that name universe `from` onto `to`.
void movePatches(ConversionContext& context, Archive::ObjectId elementId, Archive::ObjectId from, Archive::ObjectId to)
{
    Archive::ObjectPtr holder;
    auto* element = context.edit<::FixtureElement>(::FixtureElement::kArrayId, elementId, holder);
    if (!element)
        return;
    std::vector<::PatchRecord> moved;
    for (const ::PatchRecord& patch : element->patches) {
        if (patch.universeId == from)
            moved.push_back(patch);
    }
    for (::PatchRecord patch : moved) {
        element->removePatch(patch);
        patch.universeId = to;
        element->addPatch(patch);
    }
}

// Each universe of the merged supply `id`: its patches move to the kept
// supply's universe of the same controller and port, and it goes.
void mergeUniverses(ConversionContext& context, Archive::ObjectId id, Archive::ObjectId keptId)
{
    IdMaps& ids = context.ids;
    std::vector<std::pair<quint32, UniverseKey>> emptied;
    for (const auto& [owner, universeId] : ids.universes()) {
        if (owner.second.kind == UniverseKey::Kinet && owner.second.a == id)
            emptied.push_back(owner);
    }
    for (const auto& [controllerId, key] : emptied) {
        const Archive::ObjectId from = ids.findUniverse(controllerId, key);
        UniverseKey keptKey = key;
        keptKey.a = keptId;
        const Archive::ObjectId to = ConversionSteps::universeFor(context, controllerId, keptKey);
        // Without the kept supply's universe the patches stay where they are.
        if (to == Archive::kNoObjectId)
            continue;
        for (const Archive::ObjectId elementId : ids.takeKinetPatches(from)) {
            movePatches(context, elementId, from, to);
            ids.addKinetPatch(to, elementId);
        }
        context.remove(Universe::kArrayId, from);
        context.report.removed(ReportKind::Universes);
        ids.eraseUniverse(controllerId, key);
    }
}

// Numbers name supplies to the user: a clash leaves the lower id its number
// and gives the higher the lowest free one.
void renumberClashingSupplies(ConversionContext& context, const std::map<Archive::ObjectId, MergedSupply>& supplies)
{
    std::set<quint32> taken;
    for (const auto& [id, supply] : supplies)
        taken.insert(supply.number);
    std::set<quint32> keptNumbers;
    for (const auto& [id, supply] : supplies) {
        if (keptNumbers.insert(supply.number).second)
            continue;
        quint32 number = 1;
        while (taken.count(number) != 0)
            ++number;
        taken.insert(number);
        keptNumbers.insert(number);
        Archive::ObjectPtr holder;
        if (auto* edited = context.edit<KinetPowerSupply>(KinetPowerSupply::kArrayId, id, holder))
            edited->supplyNumber = number;
        logMessage(kLogWarning, "Renumbered %s from %d to %d, as another supply has its number",
                   utf8(supplyLabel(supply.quilKeys.front(), supply.name)).constData(), int(supply.number),
                   int(number));
    }
}

}  // namespace

void ConversionSteps::mergeKinetPowerSupplies(ConversionContext& context)
{
    std::map<Archive::ObjectId, MergedSupply> supplies = convertedSupplies(context);
    // The supply that stays for each address: the first, so the lowest id.
    std::map<quint32, Archive::ObjectId> kept;
    unsigned merged = 0;
    for (auto it = supplies.begin(); it != supplies.end();) {
        if (context.stopRequested())
            return;
        const auto& [id, supply] = *it;
        if (supply.ipAddress == kUnsetAddress || supply.ipAddress == kDefaultKinetAddress
            || kept.emplace(supply.ipAddress, id).second) {
            ++it;
            continue;
        }
        const Archive::ObjectId keptId = kept[supply.ipAddress];
        mergeUniverses(context, id, keptId);
        context.remove(KinetPowerSupply::kArrayId, id);
        context.report.removed(ReportKind::KinetPowerSupplies);
        const QString into = supplyLabel(keptId, supplies.at(keptId));
        for (const quint32 quilKey : supply.quilKeys) {
            context.ids.erase(IdKind::KinetPowerSupply, quilKey);
            logMessage(kLogInfo, "Merged %s into %s: both have the address %s",
                       utf8(supplyLabel(quilKey, supply.name)).constData(), utf8(into).constData(),
                       utf8(ipv4Text(supply.ipAddress)).constData());
        }
        ++merged;
        it = supplies.erase(it);
    }
    renumberClashingSupplies(context, supplies);
    logMessage(kLogInfo, "KiNET power supplies: %u merged", merged);
}
