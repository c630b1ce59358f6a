// Controllers, their links and KiNET power supplies, remote devices and DSX
// DMX universes, and the universes made on demand for patch records.
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/enum_conversions.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "components/archive/archive_exception.h"
#include "components/fixture_library/kinet_power_supply_list.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/controllers/kinet_power_supply.h"
#include "components/lx_objects/controllers/remote_device.h"
#include "components/quilshow/show/quil_show.h"

#include <map>
#include <vector>

namespace {

// The hardware type of a node that names no known controller.
const quint8 kUnmappedControllerType = 255;
// The one controller type that keeps a proxy controller.
const quint8 kProxiedControllerType = 1;

// The supply's object; *listed is false when the KiNET power-supply list
// lacks its model, so that it arrives without type, ports and protocol.
Archive::Pointer<KinetPowerSupply> powerSupplyOf(const ConversionContext& context, const Quil::KiNETPowerSupply& from,
                                                 bool* listed)
{
    auto supply = Archive::makeObject<KinetPowerSupply>();
    const auto model = context.kinetSupplies.find(from.model);
    *listed = bool(model);
    if (model) {
        supply->typeName = model->typeName;
        supply->portCount = model->ports;
        supply->protocolVersion = quint8(model->protocolVersion);
        supply->chromasic = model->chromasic;
    }
    supply->ipAddress = from.ipAddress;
    supply->supplyNumber = from.number;
    supply->name = oneLine(from.text1);
    supply->comment = oneLine(from.text2);
    return supply;
}

// The node's controller, with what became of the node's values.
struct MadeController
{
    Archive::Pointer<Controller> controller;
    bool parityKept = true;
};

MadeController controllerOf(const Quil::OutputNode& node)
{
    MadeController made;
    auto controller = Archive::makeObject<Controller>();
    // The node's interface configuration, which names the hardware, is not
    // read yet.
    controller->setType(kUnmappedControllerType);
    // Version-1 controllers are shown numbered from 1.
    controller->number = quint16(node.id() + 1);
    // A stored controller always has its text 0: a new one is given it, so
    // that the saved project reads back as it was written.
    controller->setText(QString(), 0);
    const Quil::OutputNodeInterfaceConfig& config = node.interfaceConfig;
    controller->serialBaudRate = config.baudRate;
    controller->serialDataBits = config.dataBits;
    controller->serialStopBits = config.stopBits;
    qint64 parity = 0;
    made.parityKept = EnumConversions::kSerialParity.keeps(config.parity, &parity);
    controller->serialParity = quint32(made.parityKept ? parity : EnumConversions::kSerialParity.fallback);
    made.controller = controller;
    return made;
}

void reportController(ConversionContext& context, const Quil::OutputNode& node, const MadeController& made)
{
    ConversionReport& report = context.report;
    const QString name = controllerWithNode(node.id());
    report.changed(ReportKind::Controllers, node.id(),
                   ConversionReport::capitalized(name)
                       + QStringLiteral(" arrives with the unknown hardware type 255, as the show's description of "
                                        "its hardware is not read: choose its hardware in the new project"),
                   Causes::kUnknownHardware);
    if (!made.parityKept) {
        const EnumConversion& parity = EnumConversions::kSerialParity;
        report.changed(
            ReportKind::Controllers, node.id(),
            parity.failureText(node.interfaceConfig.parity,
                               QStringLiteral("%1 arrives with serial parity %2").arg(name).arg(parity.fallback)),
            Causes::kParityFallback);
    }
}

void convertPowerSupplies(ConversionContext& context, const Quil::OutputNode& node, Archive::ObjectId controllerId)
{
    for (const Quil::KiNETPowerSupply& from : node.powerSupplies) {
        if (controllerId == Archive::kNoObjectId) {
            context.report.ignore(ReportKind::KinetPowerSupplies, supplyName(node.id(), from.id(), oneLine(from.text1)),
                                  QStringLiteral("its controller was not converted"), Causes::kControllerNotConverted);
            continue;
        }
        try {
            bool listed = true;
            const Archive::ObjectId id = context.add(KinetPowerSupply::kArrayId, powerSupplyOf(context, from, &listed));
            const quint32 quilKey = IdMaps::nodeKey(node.id(), from.id());
            context.ids.insert(IdKind::KinetPowerSupply, quilKey, id);
            context.report.made(ReportKind::KinetPowerSupplies);
            // Said once the merge has decided whether the supply stays.
            if (!listed)
                context.unlistedSupplies.emplace(id, std::make_pair(quilKey, from.model));
        } catch (const Archive::archive_exception& error) {
            context.report.refused(ReportKind::KinetPowerSupplies,
                                   supplyName(node.id(), from.id(), oneLine(from.text1)), error);
        }
    }
}

// "the link from controller 3 (output node 2) to its proxy, controller 2
// (output node 1)".
QString linkName(quint32 node, quint32 proxy)
{
    return QStringLiteral("the link from %1 to its proxy, %2").arg(controllerWithNode(node), controllerWithNode(proxy));
}

// A type-1 controller names the controller that proxies for it through the
// node link table; each link that cannot be applied is said once.
void linkProxyControllers(ConversionContext& context)
{
    const IdMaps& ids = context.ids;
    const Quil::OutputNodeShowComponent& nodes = context.show.outputNodes();
    ConversionReport& report = context.report;
    for (const auto& [proxy, node] : nodes.links.entries()) {
        report.touch(ReportKind::ControllerLinks);
        const QString item = linkName(node, proxy);
        if (!nodes.nodes.find(node) || !nodes.nodes.find(proxy)) {
            report.ignore(ReportKind::ControllerLinks, item,
                          QStringLiteral("it names output node %1, which the show does not hold")
                              .arg(nodes.nodes.find(node) ? proxy : node),
                          Causes::kLinkNodeNotInShow);
            continue;
        }
        const Archive::ObjectId controllerId = ids.find(IdKind::Controller, node);
        const Archive::ObjectId proxyId = ids.find(IdKind::Controller, proxy);
        if (controllerId == Archive::kNoObjectId || proxyId == Archive::kNoObjectId) {
            report.ignore(ReportKind::ControllerLinks, item,
                          QStringLiteral("%1 was not converted")
                              .arg(controllerName(controllerId == Archive::kNoObjectId ? node : proxy)),
                          Causes::kControllerNotConverted);
            continue;
        }
        Archive::ObjectPtr object;
        auto* controller = context.edit<Controller>(Controller::kArrayId, controllerId, object);
        if (controller && controller->type() == kProxiedControllerType) {
            controller->setOption32D(proxyId);
            report.made(ReportKind::ControllerLinks);
            continue;
        }
        report.ignore(ReportKind::ControllerLinks, item,
                      QStringLiteral("only a controller of type 1 keeps a proxy, and every controller arrives as "
                                     "type 255; set the proxy in the new project once you have chosen the hardware"),
                      Causes::kLinkNeedsProxy);
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

QString deviceName(const Quil::RDKey& key)
{
    return QStringLiteral("remote device type %1, number %2").arg(key.kind).arg(key.number);
}

// Version-1 keys that the show's own map takes for one device.
bool sameDevice(const Quil::RDKey& a, const Quil::RDKey& b) { return !(a < b) && !(b < a); }

// The device is made for a key of the show's device table, or (`dsx`) for
// one that only DSX DMX universes name, which their step reports.
Archive::ObjectId makeDevice(ConversionContext& context, const Quil::RDKey& from, const RDKey& key, bool typeKept,
                             ConversionSteps::DsxDevice* dsx)
{
    IdMaps& ids = context.ids;
    const quint32 mapKey = IdMaps::deviceKey(key.type, key.index);
    try {
        auto device = Archive::makeObject<RemoteDevice>(key);
        // As for controllers: the text 0 that every stored device has.
        device->setName(QString(), 0);
        device->controllerId = ids.networkPrimaryController;
        ids.insert(IdKind::RemoteDevice, mapKey, context.add(RemoteDevice::kArrayId, device));
        if (dsx) {
            context.report.madeForDsxUniverses();
            dsx->made = true;
        } else {
            context.report.made(ReportKind::RemoteDevices);
        }
        if (!typeKept && !dsx) {
            context.report.changed(
                ReportKind::RemoteDevices, mapKey,
                EnumConversions::kRemoteDeviceType.failureText(
                    from.kind,
                    QStringLiteral("%1 arrives as type %2, number %3")
                        .arg(deviceName(from), QString::number(key.type), QString::number(key.index))),
                Causes::kDeviceTypeFallback);
        }
    } catch (const Archive::archive_exception& error) {
        if (dsx)
            dsx->failure = context.report.refusalText(error);
        else
            context.report.refused(ReportKind::RemoteDevices, deviceName(from), error);
        // Not tried again: what names the device is reported with its own line.
        ids.insert(IdKind::RemoteDevice, mapKey, Archive::kNoObjectId);
    }
    return ids.find(IdKind::RemoteDevice, mapKey);
}

// "DSX DMX universe 1 of controller 2".
QString dsxUniverseName(quint32 node, quint32 key)
{
    return QStringLiteral("DSX DMX universe %1 of %2").arg(QString::number(key), controllerName(node));
}

// The device of a DSX DMX universe's key: the show's own when its device
// table holds the key; else one made for the universes that name it, whose
// type change is said once, as a change of the first universe that arrives.
struct DsxUniverseDevice
{
    Archive::ObjectId id = Archive::kNoObjectId;
    bool listed = true;  // the device table holds the key
    ConversionSteps::DsxDevice made;
};

DsxUniverseDevice dsxDevice(ConversionContext& context, const Quil::RDKey& key)
{
    DsxUniverseDevice device;
    device.listed = context.show.outputNodes().remoteDevices.count(key) != 0;
    device.id = ConversionSteps::remoteDeviceFor(context, key, device.listed ? nullptr : &device.made);
    return device;
}

void reportDsxDeviceChange(ConversionContext& context, quint32 node, const Quil::DSXDMXUniverseKey& from,
                           const DsxUniverseDevice& device)
{
    if (device.listed || device.made.typeKept
        || !context.dsxDeviceChanges.emplace(from.key.kind, from.key.number).second)
        return;
    const RDKey& key = device.made.key;
    const QString universe = dsxUniverseName(node, from.id());
    const QString words = device.made.made
        ? QStringLiteral("%1 names %2, which is made for DSX DMX universes as type %3, number %4")
        : QStringLiteral("%1 names %2, and arrives on remote device type %3, number %4");
    context.report.changed(
        ReportKind::DsxDmxUniverses, IdMaps::nodeKey(node, from.id()),
        EnumConversions::kRemoteDeviceType.failureText(
            from.key.kind,
            words.arg(universe, deviceName(from.key), QString::number(key.type), QString::number(key.index))),
        Causes::kDsxDeviceTypeFallback);
}

}  // namespace

void ConversionSteps::convertControllers(ConversionContext& context)
{
    context.report.touch(ReportKind::Controllers);
    context.report.touch(ReportKind::KinetPowerSupplies);
    for (const Quil::OutputNode& node : context.show.outputNodes().nodes) {
        Archive::ObjectId controllerId = Archive::kNoObjectId;
        try {
            const MadeController made = controllerOf(node);
            controllerId = context.add(Controller::kArrayId, made.controller);
            context.ids.insert(IdKind::Controller, node.id(), controllerId);
            context.report.made(ReportKind::Controllers);
            reportController(context, node, made);
        } catch (const Archive::archive_exception& error) {
            context.report.refused(ReportKind::Controllers, controllerWithNode(node.id()), error);
        }
        convertPowerSupplies(context, node, controllerId);
    }
    context.report.flushLimits();
    linkProxyControllers(context);
    chooseNetworkPrimary(context);
}

Archive::ObjectId ConversionSteps::remoteDeviceFor(ConversionContext& context, const Quil::RDKey& from, DsxDevice* dsx)
{
    const EnumConversion& type = EnumConversions::kRemoteDeviceType;
    qint64 kept = 0;
    const bool typeKept = type.keeps(from.kind, &kept);
    RDKey key;
    key.type = quint8(typeKept ? kept : type.fallback);
    key.index = from.number;
    if (dsx)
        dsx->key = key, dsx->typeKept = typeKept;
    const quint32 mapKey = IdMaps::deviceKey(key.type, key.index);
    const auto owner = context.deviceOwners.find(mapKey);
    if (owner == context.deviceOwners.end()) {
        context.deviceOwners.emplace(mapKey, from);
        return makeDevice(context, from, key, typeKept, dsx);
    }
    const Archive::ObjectId id = context.ids.find(IdKind::RemoteDevice, mapKey);
    if (dsx) {
        dsx->made = sameDevice(owner->second, from);
        return id;
    }
    // Another version-1 device that meets this one's version-2 key: the
    // first keeps it, and each later one is said once as merged into it.
    if (!sameDevice(owner->second, from) && context.mergedDevices.emplace(from.kind, from.number).second) {
        QString reason = QStringLiteral("it becomes the same version-2 device as ") + deviceName(owner->second);
        // The version-2 key, where the version-1 one does not read as it.
        if (owner->second.kind != key.type)
            reason +=
                QStringLiteral(" (type %1, number %2)").arg(QString::number(key.type), QString::number(key.index));
        if (id == Archive::kNoObjectId)
            reason += QStringLiteral(", which was not converted");
        context.report.ignore(ReportKind::RemoteDevices, deviceName(from), reason, Causes::kRemoteDeviceMerged);
    }
    return id;
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
            failure = context.report.limitText(Universe::kArrayId);
        } else {
            try {
                id = context.add(Universe::kArrayId, Archive::makeObject<Universe>(controllerId, key));
                context.ids.insertUniverse(controllerId, key, id);
                // DSX DMX universes count as such, in their own step.
                if (key.kind != UniverseKey::DsxDmx)
                    context.report.made(ReportKind::Universes);
                return id;
            } catch (const Archive::archive_exception& error) {
                context.universesFull = isNoRoom(error);
                failure = context.report.refusalText(error);
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
    // The map's values are not known to mean anything a device keeps. A
    // device whose type has its counterpart comes first, so that where
    // another one's type falls back onto its key, the show's own device
    // keeps it.
    const auto& devices = context.show.outputNodes().remoteDevices;
    for (const bool typeKept : {true, false}) {
        for (const auto& entry : devices) {
            if (EnumConversions::kRemoteDeviceType.keeps(entry.first.kind) == typeKept)
                remoteDeviceFor(context, entry.first);
        }
    }
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
        // The key that made each universe of this controller, by device.
        std::map<Archive::ObjectId, quint32> madeBy;
        for (const Quil::DSXDMXUniverseKey& from : node.universeKeys) {
            const QString name = dsxUniverseName(node.id(), from.id());
            if (controllerId == Archive::kNoObjectId) {
                report.ignore(ReportKind::DsxDmxUniverses, name, QStringLiteral("its controller was not converted"),
                              Causes::kControllerNotConverted);
                continue;
            }
            const DsxUniverseDevice device = dsxDevice(context, from.key);
            const Archive::ObjectId deviceId = device.id;
            if (deviceId == Archive::kNoObjectId && device.listed) {
                report.ignore(ReportKind::DsxDmxUniverses, name, QStringLiteral("its remote device was not converted"),
                              Causes::kRemoteDeviceNotConverted);
                continue;
            }
            if (deviceId == Archive::kNoObjectId) {
                // No item of the show: the device made for the universe is
                // said with it.
                QString reason = QStringLiteral("its ") + deviceName(from.key) + QStringLiteral(" could not be made");
                if (!device.made.failure.isEmpty())
                    reason += QStringLiteral(": ") + device.made.failure;
                report.ignore(ReportKind::DsxDmxUniverses, name, reason, Causes::kRemoteDeviceNotMade);
                continue;
            }
            UniverseKey key;
            key.kind = UniverseKey::DsxDmx;
            key.a = deviceId;
            if (const auto earlier = madeBy.find(deviceId); earlier != madeBy.end()) {
                // One universe per controller and device: this key's patch
                // records go to the one the earlier key made.
                ids.insert(IdKind::Universe, IdMaps::nodeKey(node.id(), from.id()),
                           ids.findUniverse(controllerId, key));
                report.ignore(ReportKind::DsxDmxUniverses, name,
                              QStringLiteral("it names the same remote device as %1, and both become that one "
                                             "universe, which takes its patch records")
                                  .arg(dsxUniverseName(node.id(), earlier->second)),
                              Causes::kDsxUniverseMerged);
                continue;
            }
            const QString* reason = nullptr;
            const Archive::ObjectId universeId = universeFor(context, controllerId, key, &reason);
            if (universeId == Archive::kNoObjectId) {
                report.ignore(ReportKind::DsxDmxUniverses, name, *reason, Causes::kUniverseRefused);
                continue;
            }
            madeBy.emplace(deviceId, from.id());
            ids.insert(IdKind::Universe, IdMaps::nodeKey(node.id(), from.id()), universeId);
            report.made(ReportKind::DsxDmxUniverses);
            reportDsxDeviceChange(context, node.id(), from, device);
        }
    }
    report.flushLimits();
}
