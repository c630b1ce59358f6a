#include "applications/morvant/conversion_steps.h"

#include "applications/morvant/conversion_driver.h"
#include "applications/morvant/enum_conversions.h"
#include "components/archive/archive_exception.h"
#include "components/archive/database.h"
#include "components/fixture_library/kinet_power_supply_list.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/controllers/kinet_power_supply.h"
#include "components/lx_objects/controllers/remote_device.h"
#include "components/lx_objects/fixtures/fixture_vocabulary.h"
#include "components/lx_objects/fixtures/function.h"
#include "components/quilshow/show/quil_show.h"
#include "components/quilshow/show/show_streamer.h"
#include "seltrane_components/os/logger.h"

#include <QByteArray>

namespace {

// The hardware type of a node that names no known controller.
const quint8 kUnmappedControllerType = 255;
// The name the standard table gives what version-1 shows call "Colour Temp
// Correct".
const char* const kColourTemperatureName = "Colour Temperature";
const char* const kOldColourTemperatureName = "Colour Temp Correct";

QByteArray utf8(const QString& text) { return text.toUtf8(); }

// A text shown on one line: each line feed becomes a blank.
QString oneLine(const std::string& text) { return Quil::toQString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')); }

// Adds a new object to its array and answers its id.
Archive::ObjectId addNew(Archive::ArrayId array, Archive::ObjectBase* object, Archive::DatabaseId database)
{
    Archive::ObjectPtr pointer(object);
    Archive::ObjectId id = Archive::kNoObjectId;
    Archive::addObject(array, id, pointer, database);
    return id;
}

// Counts one kind's items and logs the closing line.
struct Tally
{
    const char* kind;
    unsigned converted = 0;
    unsigned ignored = 0;

    void log() const
    {
        if (ignored == 0)
            logMessage(kLogInfo, "%s: %u converted", kind, converted);
        else
            logMessage(kLogInfo, "%s: %u converted, %u ignored", kind, converted, ignored);
    }
};

void logIgnored(const QString& item, const std::exception& error)
{
    logMessage(kLogWarning, "Ignoring %s: %s", utf8(item).constData(), utf8(exceptionText(error)).constData());
}

KinetPowerSupply* powerSupplyOf(const Quil::KiNETPowerSupply& from)
{
    auto* supply = new KinetPowerSupply;
    if (const auto model = KinetPowerSupplyList::instance().find(from.model)) {
        supply->typeName = model->typeName;
        supply->portCount = model->ports;
        supply->protocolVersion = quint8(model->protocolVersion);
        supply->chromasic = model->chromasic;
    } else {
        logMessage(kLogWarning, "Failed to convert KiNET power supply model %u", from.model);
    }
    supply->ipAddress = from.ipAddress;
    supply->supplyNumber = from.number;
    supply->name = oneLine(from.text1);
    supply->comment = oneLine(from.text2);
    return supply;
}

Controller* controllerOf(const Quil::OutputNode& node)
{
    auto* controller = new Controller;
    // The node's interface configuration, which names the hardware, is not
    // read yet.
    controller->setType(kUnmappedControllerType);
    logMessage(kLogWarning, "Failed to convert the hardware type of controller %d", int(node.id()));
    // Version-1 controllers are shown numbered from 1.
    controller->number = quint16(node.id() + 1);
    const Quil::OutputNodeInterfaceConfig& config = node.interfaceConfig;
    controller->serialBaudRate = config.baudRate;
    controller->serialDataBits = config.dataBits;
    controller->serialStopBits = config.stopBits;
    controller->serialParity = quint32(EnumConversions::kSerialParity(config.parity));
    return controller;
}

}  // namespace

void ConversionSteps::convertControllers(ConversionDriver& driver, ProgressTracker&)
{
    const QuilShow& show = *Quil::_gpShow;
    const Archive::DatabaseId database = driver.outputDatabaseId();
    IdMaps& ids = driver.m_idMaps;
    Tally controllers {"Controllers"}, supplies {"KiNET power supplies"};
    for (const Quil::OutputNode& node : show.outputNodes().nodes) {
        Archive::ObjectId controllerId = Archive::kNoObjectId;
        try {
            controllerId = addNew(Controller::kArrayId, controllerOf(node), database);
            ids.insert(IdKind::Controller, node.id(), controllerId);
            ++controllers.converted;
        } catch (const Archive::archive_exception& error) {
            logIgnored(QStringLiteral("controller %1").arg(node.id()), error);
            ++controllers.ignored;
        }
        for (const Quil::KiNETPowerSupply& from : node.powerSupplies) {
            if (controllerId == Archive::kNoObjectId) {
                logMessage(kLogWarning,
                           "Ignoring KiNET power supply %d of controller %d: the controller was not converted",
                           int(from.id()), int(node.id()));
                ++supplies.ignored;
                continue;
            }
            try {
                const Archive::ObjectId id = addNew(KinetPowerSupply::kArrayId, powerSupplyOf(from), database);
                ids.insert(IdKind::KinetPowerSupply, IdMaps::nodeKey(node.id(), from.id()), id);
                ++supplies.converted;
            } catch (const Archive::archive_exception& error) {
                logIgnored(QStringLiteral("KiNET power supply %1 of controller %2").arg(from.id()).arg(node.id()),
                           error);
                ++supplies.ignored;
            }
        }
    }

    // A type-1 controller names the controller that proxies for it through
    // the node link table.
    for (const Quil::OutputNode& node : show.outputNodes().nodes) {
        const qint64 proxy = show.outputNodes().lookupId(node.id());
        const Archive::ObjectId controllerId = ids.find(IdKind::Controller, node.id());
        if (proxy < 0 || controllerId == Archive::kNoObjectId || !ids.contains(IdKind::Controller, quint32(proxy)))
            continue;
        Archive::ObjectPtr object;
        Archive::editObject(object, Controller::kArrayId, controllerId, database);
        if (auto* controller = dynamic_cast<Controller*>(object.get()); controller && controller->type() == 1)
            controller->setOption32D(ids.find(IdKind::Controller, quint32(proxy)));
    }

    // What names no controller of its own belongs to the show's chosen one,
    // else to the first.
    const quint32 chosen = show.settings.controllerId;
    if (ids.contains(IdKind::Controller, chosen)) {
        ids.networkPrimaryController = ids.find(IdKind::Controller, chosen);
    } else {
        for (const Quil::OutputNode& node : show.outputNodes().nodes) {
            if (ids.contains(IdKind::Controller, node.id())) {
                ids.networkPrimaryController = ids.find(IdKind::Controller, node.id());
                break;
            }
        }
    }
    controllers.log();
    supplies.log();
}

Archive::ObjectId ConversionSteps::remoteDeviceFor(ConversionDriver& driver, const Quil::RDKey& from)
{
    IdMaps& ids = driver.m_idMaps;
    RDKey key;
    key.type = quint8(EnumConversions::kRemoteDeviceType(from.kind));
    key.index = from.number;
    const quint32 mapKey = IdMaps::deviceKey(key.type, key.index);
    if (!ids.contains(IdKind::RemoteDevice, mapKey)) {
        try {
            auto* device = new RemoteDevice(key);
            device->controllerId = ids.networkPrimaryController;
            ids.insert(IdKind::RemoteDevice, mapKey, addNew(RemoteDevice::kArrayId, device, driver.outputDatabaseId()));
        } catch (const Archive::archive_exception& error) {
            logIgnored(QStringLiteral("remote device type %1, number %2").arg(from.kind).arg(from.number), error);
            // Not tried again: what names the device is skipped with its own line.
            ids.insert(IdKind::RemoteDevice, mapKey, Archive::kNoObjectId);
        }
    }
    return ids.find(IdKind::RemoteDevice, mapKey);
}

Archive::ObjectId ConversionSteps::universeFor(ConversionDriver& driver, quint32 controllerId, const UniverseKey& key)
{
    IdMaps& ids = driver.m_idMaps;
    if (key.kind == UniverseKey::NoKind)
        return Archive::kNoObjectId;
    Archive::ObjectId id = ids.findUniverse(controllerId, key);
    if (id == Archive::kNoObjectId) {
        try {
            id = addNew(Universe::kArrayId, new Universe(controllerId, key), driver.outputDatabaseId());
            ids.insertUniverse(controllerId, key, id);
        } catch (const Archive::archive_exception& error) {
            logIgnored(QStringLiteral("universe of kind %1 on controller %2").arg(key.kind).arg(qint32(controllerId)),
                       error);
        }
    }
    return id;
}

void ConversionSteps::convertRemoteDevices(ConversionDriver& driver, ProgressTracker&)
{
    Tally devices {"Remote devices"};
    // The map's values are not known to mean anything a device keeps.
    for (const auto& entry : Quil::_gpShow->outputNodes().remoteDevices) {
        if (remoteDeviceFor(driver, entry.first) == Archive::kNoObjectId)
            ++devices.ignored;
        else
            ++devices.converted;
    }
    devices.log();
}

void ConversionSteps::convertDsxDmxUniverses(ConversionDriver& driver, ProgressTracker&)
{
    IdMaps& ids = driver.m_idMaps;
    Tally universes {"DSX DMX universes"};
    for (const Quil::OutputNode& node : Quil::_gpShow->outputNodes().nodes) {
        const Archive::ObjectId controllerId = ids.find(IdKind::Controller, node.id());
        for (const Quil::DSXDMXUniverseKey& from : node.universeKeys) {
            if (controllerId == Archive::kNoObjectId) {
                logMessage(kLogWarning,
                           "Ignoring DSX DMX universe %d of controller %d: the controller was not converted",
                           int(from.id()), int(node.id()));
                ++universes.ignored;
                continue;
            }
            const Archive::ObjectId deviceId = remoteDeviceFor(driver, from.key);
            if (deviceId == Archive::kNoObjectId) {
                logMessage(kLogWarning,
                           "Ignoring DSX DMX universe %d of controller %d: its remote device was not converted",
                           int(from.id()), int(node.id()));
                ++universes.ignored;
                continue;
            }
            UniverseKey key;
            key.kind = UniverseKey::DsxDmx;
            key.a = deviceId;
            const Archive::ObjectId universeId = universeFor(driver, controllerId, key);
            if (universeId == Archive::kNoObjectId) {
                ++universes.ignored;
                continue;
            }
            ids.insert(IdKind::Universe, IdMaps::nodeKey(node.id(), from.id()), universeId);
            ++universes.converted;
        }
    }
    universes.log();
}

void ConversionSteps::convertFunctions(ConversionDriver& driver, ProgressTracker&)
{
    IdMaps& ids = driver.m_idMaps;
    const Archive::DatabaseId database = driver.outputDatabaseId();
    // The standard functions, which fixture models name by their ids.
    const FixtureVocabulary::StandardFunction* rows = FixtureVocabulary::standardFunctions();
    for (std::size_t row = 0; row < FixtureVocabulary::kStandardFunctionCount; ++row) {
        auto* function = new Function;
        function->name = QString::fromLatin1(rows[row].name);
        function->kind = rows[row].category;
        // A fresh project's function array has room for every row: a failure
        // here is the database's, and fails the conversion.
        ids.insert(IdKind::StandardFunction, rows[row].id, addNew(Function::kArrayId, function, database));
    }

    Tally functions {"Functions"};
    for (const Quil::Function& from : Quil::_gpShow->functions()) {
        QString name = Quil::toQString(from.name);
        if (name == QLatin1String(kOldColourTemperatureName))
            name = QLatin1String(kColourTemperatureName);
        const FixtureVocabulary::StandardFunction* row = FixtureVocabulary::standardFunctionByName(name);
        if (!row) {
            logMessage(kLogWarning, "Ignoring function %d (%s): it has no version-2 counterpart", int(from.id()),
                       utf8(Quil::toQString(from.name)).constData());
            ++functions.ignored;
            continue;
        }
        ids.insert(IdKind::Function, from.id(), ids.find(IdKind::StandardFunction, row->id));
        ++functions.converted;
    }
    functions.log();
}
