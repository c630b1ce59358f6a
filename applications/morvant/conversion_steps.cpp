#include "applications/morvant/conversion_steps.h"

#include "applications/morvant/conversion_driver.h"
#include "applications/morvant/enum_conversions.h"
#include "applications/morvant/output_project.h"
#include "applications/morvant/palette_tables.h"
#include "components/archive/archive_exception.h"
#include "components/archive/database.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/kinet_power_supply_list.h"
#include "components/fixture_library/message_handler.h"
#include "components/fixture_library/online_fixture_library.h"
#include "components/lx_engine/programming/bitmap_font_cache.h"
#include "components/lx_objects/controllers/controller.h"
#include "components/lx_objects/controllers/kinet_power_supply.h"
#include "components/lx_objects/controllers/remote_device.h"
#include "components/lx_objects/fixtures/fixture.h"
#include "components/lx_objects/fixtures/fixture_element.h"
#include "components/lx_objects/fixtures/fixture_instance.h"
#include "components/lx_objects/fixtures/fixture_model.h"
#include "components/lx_objects/fixtures/fixture_vocabulary.h"
#include "components/lx_objects/fixtures/function.h"
#include "components/lx_objects/fixtures/group.h"
#include "components/lx_objects/media/font_data.h"
#include "components/lx_objects/programming/look.h"
#include "components/lx_objects/programming/scene.h"
#include "components/lx_objects/programming/text_slot_values.h"
#include "components/lx_objects/project/custom_properties.h"
#include "components/lx_objects/project/object_folder.h"
#include "components/lx_objects/views/abstract_tab_bar_state.h"
#include "components/quilshow/show/quil_show.h"
#include "components/quilshow/show/show_streamer.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QByteArray>
#include <QPoint>

#include <map>
#include <set>
#include <stdexcept>
#include <vector>

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
Archive::ObjectId addNew(Archive::ArrayId array, Archive::ObjectPtr object, Archive::DatabaseId database)
{
    Archive::ObjectId id = Archive::kNoObjectId;
    Archive::addObject(array, id, object, database);
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

Archive::Pointer<KinetPowerSupply> powerSupplyOf(const Quil::KiNETPowerSupply& from)
{
    auto supply = Archive::makeObject<KinetPowerSupply>();
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

Archive::Pointer<Controller> controllerOf(const Quil::OutputNode& node)
{
    auto controller = Archive::makeObject<Controller>();
    // The node's interface configuration, which names the hardware, is not
    // read yet.
    controller->setType(kUnmappedControllerType);
    logMessage(kLogWarning, "Failed to convert the hardware type of controller %d", int(node.id()));
    // Version-1 controllers are shown numbered from 1.
    controller->number = quint16(node.id() + 1);
    // A stored controller always has its text 0: a new one is given it, so
    // that the saved project reads back as it was written.
    controller->setText(QString(), 0);
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
            auto device = Archive::makeObject<RemoteDevice>(key);
            // As for controllers: the text 0 that every stored device has.
            device->setName(QString(), 0);
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
            id =
                addNew(Universe::kArrayId, Archive::makeObject<Universe>(controllerId, key), driver.outputDatabaseId());
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
        auto function = Archive::makeObject<Function>();
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

namespace {

// The DALI interface byte of a ballast on no interface.
const quint8 kNoDaliInterface = 255;
// The functions whose model parameter flags a fixture keeps.
const quint32 kFlagAFunction = 3;
const quint32 kFlagBFunction = 4;
const quint32 kFixtureColourAlpha = 0xFF000000;
const char* const kAllGroupsName = "All Groups";
// IPv4 addresses that name no device: unset, and the default of new supplies.
const quint32 kUnsetAddress = 0;
const quint32 kDefaultKinetAddress = 0x0A000000;

QString ipv4Text(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

// Removes an object the open transaction added or holds; an empty slot is
// left alone.
void removeFromProject(Archive::ArrayId array, Archive::ObjectId id, Archive::DatabaseId database)
{
    Archive::ObjectPtr object;
    Archive::getObject(object, array, id, database);
    if (object.isObject())
        Archive::removeObject(array, object, database);
}

// The writable copy of an object of the open transaction, cast to T; null
// when the slot is empty or holds another class.
template <class T>
T* editable(Archive::ArrayId array, Archive::ObjectId id, Archive::DatabaseId database, Archive::ObjectPtr& holder)
{
    Archive::editObject(holder, array, id, database);
    return dynamic_cast<T*>(holder.get());
}

// The library's key of a version-1 fixture type: its lowest mode. Modes are
// tried in order, as the library's lowest-mode search gives the model and
// not the key it is filed under.
bool libraryKeyOf(quint16 manufacturer, quint16 model, FixtureModelKey* key)
{
    const FixtureLibrary& library = FixtureLibrary::instance();
    for (int mode = 0; mode <= 255; ++mode) {
        const FixtureModelKey candidate {manufacturer, model, quint8(mode)};
        if (library.find(candidate)) {
            *key = candidate;
            return true;
        }
    }
    return false;
}

// Fetches the definition files of the types that neither the project nor
// the fixture library has, and adds those the library still lacks.
void fetchMissingTypes(const std::set<std::pair<quint16, quint16>>& missing, OnlineFixtureLibrary& online,
                       ProgressTracker& progress)
{
    if (missing.empty() || !online.isEnabled())
        return;
    std::vector<OnlineFixtureLibrary::ModelId> keys;
    for (const auto& [manufacturer, model] : missing)
        keys.push_back({manufacturer, model});
    const std::vector<OnlineFixtureLibrary::Fetched> fetched = online.fetch(keys, progress);
    FixtureLibrary& library = FixtureLibrary::instance();
    for (std::size_t i = 0; i < fetched.size() && i < keys.size(); ++i) {
        // A copy that was already current reaches the library no other way.
        if (fetched[i].path.isEmpty() || library.find(keys[i].manufacturerId, keys[i].modelId))
            continue;
        ConcatenatingMessageHandler messages;
        library.addFile(fetched[i].path, messages);
        for (const QString& message : messages.messages())
            logMessage(kLogWarning, "%s", utf8(message).constData());
    }
}

// Whether each version-1 element has the footprint of the model's element
// at its position.
bool elementsMatch(const Quil::Fixture& fixture, const FixtureModel& model)
{
    const Quil::FixtureShowComponent& fixtures = Quil::_gpShow->fixtures();
    if (fixture.elementIds.size() != model.elements().size())
        return false;
    for (std::size_t i = 0; i < fixture.elementIds.size(); ++i) {
        const Quil::FixtureElement* element = fixtures.elements.find(fixture.elementIds[i]);
        if (!element
            || element->getFootprint(Quil::FixtureModelElement::kAllGroups)
                != model.elements()[i].channelCount(-1, true))
            return false;
    }
    return true;
}

QString fixtureLabel(const Quil::Fixture& fixture) { return Quil::toQString(fixture.planSettings.name); }

// Adds a copy of the library's model of key to the project, its functions
// moved to the project's, and answers its id; kNoObjectId when the project
// has no room for it (the reason is in *reason).
Archive::ObjectId addProjectModel(IdMaps& ids, const FixtureModelKey& key, Archive::DatabaseId database,
                                  QString* reason)
{
    FixtureLibrary& library = FixtureLibrary::instance();
    Archive::Pointer<FixtureModel> model = library.modelForProject(key, ids.entries(IdKind::StandardFunction));
    if (!model) {
        *reason =
            QStringLiteral("fixture type %1/%2 is not in the fixture library").arg(key.manufacturerId).arg(key.modelId);
        return Archive::kNoObjectId;
    }
    try {
        Archive::ObjectPtr added(model);
        Archive::ObjectId id = Archive::kNoObjectId;
        Archive::addObject(FixtureModel::kArrayId, id, added, database);
        library.addProjectModel(key, *model);
        ids.insert(IdKind::FixtureModel, IdMaps::modelKey(key.manufacturerId, key.modelId), id);
        return id;
    } catch (const Archive::archive_exception& error) {
        *reason = exceptionText(error);
        return Archive::kNoObjectId;
    }
}

Archive::Pointer<FixtureInstance> instanceOf(const Quil::Fixture& from, Archive::ObjectId fixtureId,
                                             Archive::ObjectId layoutId)
{
    const Quil::PlanSettings& plan = from.planSettings;
    auto instance = Archive::makeObject<FixtureInstance>();
    instance->fixtureId = fixtureId;
    instance->layoutId = layoutId;
    instance->position = QPoint(int(plan.planX), int(plan.planY));
    instance->placement = {plan.planWord, from.modelSpec.xElDimension, from.modelSpec.yElDimension};
    instance->shape = quint8(EnumConversions::kFixtureShape(from.modelSpec.specFlagByte));
    instance->flag = plan.planFlag3;
    instance->colour = kFixtureColourAlpha | quint32(plan.red) << 16 | quint32(plan.green) << 8 | plan.blue;
    instance->label = Quil::toQString(plan.label);
    return instance;
}

void setDaliProperties(const Quil::Fixture& from, Fixture& fixture)
{
    const Quil::DALIShowComponent& dali = Quil::_gpShow->dali();
    const qint64 daliId = dali.getDaliFixtureId(from.id());
    const Quil::DALIFixture* ballast = daliId < 0 ? nullptr : dali.fixtures.find(quint32(daliId));
    if (!fixture.isDali || !ballast)
        return;
    DaliFixtureProperties& properties = fixture.daliProperties;
    properties.interfaceNumber = ballast->interfaceId == kNoDaliInterface ? -1 : ballast->interfaceId;
    properties.shortAddress = ballast->shortAddress;
    properties.ballastSettings = ballast->ballastSettings;
    properties.ballastFlag = ballast->flag;
}

}  // namespace

// The universe of one version-1 patch record on a controller; kNoObjectId
// (logged) when the record cannot be carried over.
static Archive::ObjectId universeOfPatch(ConversionDriver& driver, const Quil::PatchRecord& record, quint32 fixtureId)
{
    const IdMaps& ids = driver.idMaps();
    const quint32 node = record.outputNodeId;
    const Archive::ObjectId controllerId = ids.find(IdKind::Controller, node);
    if (controllerId == Archive::kNoObjectId) {
        logMessage(kLogWarning, "Ignoring a patch of fixture %d: controller %d was not converted", int(fixtureId),
                   int(node));
        return Archive::kNoObjectId;
    }
    UniverseKey key;
    key.kind = quint32(EnumConversions::kOutputDriverType(record.kind()));
    switch (key.kind) {
    case UniverseKey::Dmx:
    case UniverseKey::Pathport:
    case UniverseKey::ArtNet:
        key.a = record.universeBased()->universe;
        break;
    case UniverseKey::Sacn: {
        const quint16 universe = record.universeBased()->universe;
        // sACN numbers its universes from 1.
        if (universe == 0) {
            logMessage(kLogWarning, "Failed to convert sACN universe 0");
            return Archive::kNoObjectId;
        }
        key.a = universe - 1u;
        break;
    }
    case UniverseKey::Kinet: {
        const Quil::PatchRecord::KiNETFields& kinet = *record.kinet();
        key.a = ids.find(IdKind::KinetPowerSupply, IdMaps::nodeKey(node, kinet.powerSupplyId));
        key.b = kinet.port;
        if (key.a == Archive::kNoObjectId) {
            logMessage(kLogWarning,
                       "Ignoring a patch of fixture %d: KiNET power supply %d of controller %d was not converted",
                       int(fixtureId), int(kinet.powerSupplyId), int(node));
            return Archive::kNoObjectId;
        }
        break;
    }
    case UniverseKey::DsxDmx: {
        const quint16 universe = record.universeBased()->universe;
        const Archive::ObjectId id = ids.find(IdKind::Universe, IdMaps::nodeKey(node, universe));
        if (id == Archive::kNoObjectId) {
            logMessage(kLogWarning,
                       "Ignoring a patch of fixture %d: DSX DMX universe %d of controller %d was not converted",
                       int(fixtureId), int(universe), int(node));
        }
        return id;
    }
    default:
        // Net2, FlipDot and Lumalive outputs have no version-2 counterpart:
        // the output driver type's conversion has said so.
        return Archive::kNoObjectId;
    }
    return ConversionSteps::universeFor(driver, controllerId, key);
}

void ConversionSteps::convertFixtures(ConversionDriver& driver, ProgressTracker& progress)
{
    const QuilShow& show = *Quil::_gpShow;
    const Archive::DatabaseId database = driver.outputDatabaseId();
    IdMaps& ids = driver.m_idMaps;
    FixtureLibrary& library = FixtureLibrary::instance();

    // One fetch for every type the project and the library lack.
    ProgressStage stage(&progress, 2);
    std::set<std::pair<quint16, quint16>> missing;
    for (const Quil::Fixture& from : show.fixtures().fixtures) {
        const quint16 manufacturer = from.modelSpec.manufacturerId;
        const quint16 model = from.modelSpec.modelId;
        if (!library.find(manufacturer, model))
            missing.insert({manufacturer, model});
    }
    fetchMissingTypes(missing, driver.onlineFixtureLibrary(), progress);
    stage.step(1);

    Archive::ObjectPtr statesHolder;
    Archive::getObject(statesHolder, 35, OutputProject::kLayoutManagerStateId, database);
    const auto* layouts = dynamic_cast<const LayoutManagerState*>(statesHolder.get());
    const Archive::ObjectId layoutId = layouts ? layouts->currentTabId : Archive::kNoObjectId;

    Tally fixtures {"Fixtures"}, patches {"Patch records"};
    for (const Quil::Fixture& from : show.fixtures().fixtures) {
        // The label is made only for a message: most fixtures need none.
        const auto ignore = [&](const QString& reason) {
            logMessage(kLogWarning, "Ignoring fixture %d (%s): %s", int(from.id()),
                       utf8(fixtureLabel(from)).constData(), utf8(reason).constData());
            ++fixtures.ignored;
        };
        // The type's model: the project's once added, else the library's
        // lowest mode, which enters the project with its first fixture.
        const quint16 manufacturer = from.modelSpec.manufacturerId;
        const quint16 modelNumber = from.modelSpec.modelId;
        Archive::ObjectId modelId = ids.find(IdKind::FixtureModel, IdMaps::modelKey(manufacturer, modelNumber));
        Archive::ObjectPtr projectModel;
        FixtureLibrary::ModelPtr libraryModel;
        FixtureModelKey key;
        if (modelId != Archive::kNoObjectId) {
            Archive::getObject(projectModel, FixtureModel::kArrayId, modelId, database);
        } else if (libraryKeyOf(manufacturer, modelNumber, &key)) {
            libraryModel = library.find(key);
        }
        const auto* model = modelId != Archive::kNoObjectId ? dynamic_cast<const FixtureModel*>(projectModel.get())
                                                            : libraryModel.get();
        if (!model) {
            ignore(
                QStringLiteral("fixture type %1/%2 is not in the fixture library").arg(manufacturer).arg(modelNumber));
            continue;
        }
        if (!elementsMatch(from, *model)) {
            ignore(QStringLiteral("its elements do not match fixture type %1").arg(model->modelSpec.name));
            continue;
        }
        if (modelId == Archive::kNoObjectId) {
            QString reason;
            modelId = addProjectModel(ids, key, database, &reason);
            if (modelId == Archive::kNoObjectId) {
                ignore(reason);
                continue;
            }
        }

        const Archive::Pointer<Fixture> fixture = Archive::makeObject<Fixture>();
        Archive::ObjectPtr fixtureHolder = fixture;
        Archive::ObjectId fixtureId = Archive::kNoObjectId;
        try {
            Archive::addObject(Fixture::kArrayId, fixtureId, fixtureHolder, database);
            fixture->setModel(modelId);
        } catch (const Archive::archive_exception& error) {
            // A fixture with some of its elements would be patched wrong:
            // what was added of it goes.
            for (const quint32 elementId : fixture->elementIds)
                removeFromProject(::FixtureElement::kArrayId, elementId, database);
            if (fixtureId != Archive::kNoObjectId)
                removeFromProject(Fixture::kArrayId, fixtureId, database);
            ignore(exceptionText(error));
            continue;
        }
        fixture->number = from.number;
        if (!from.planSettings.name.empty())
            fixture->name = fixtureLabel(from);
        fixture->factor = from.modelSpec.factor;
        fixture->fixtureFlag = from.fixtureFlag;
        fixture->parameterFlagA = show.fixtures().getFixtureParameterFlag(from.id(), kFlagAFunction);
        fixture->parameterFlagB = show.fixtures().getFixtureParameterFlag(from.id(), kFlagBFunction);
        fixture->dimmerCurve =
            quint16(EnumConversions::kDimmerCurve.convert(from.modelSpec.dimmerCurve, fixture->dimmerCurve));
        setDaliProperties(from, *fixture);
        ids.insert(IdKind::Fixture, from.id(), fixtureId);
        ++fixtures.converted;

        try {
            addNew(FixtureInstance::kArrayId, instanceOf(from, fixtureId, layoutId), database);
        } catch (const Archive::archive_exception& error) {
            logIgnored(QStringLiteral("the plan place of fixture %1").arg(from.id()), error);
        }
        if (!from.planSettings.text3.empty()) {
            Archive::ObjectPtr holder;
            if (auto* custom = editable<CustomProperties>(0, OutputProject::kCustomPropertiesId, database, holder)) {
                custom->setValue(Fixture::kArrayId, QLatin1String(OutputProject::kFixtureCommentProperty), fixtureId,
                                 Quil::toQString(from.planSettings.text3));
            }
        }

        for (std::size_t i = 0; i < from.elementIds.size(); ++i) {
            const Quil::FixtureElement* element = show.fixtures().elements.find(from.elementIds[i]);
            const FixtureModelElement& modelElement = model->elements()[i];
            const Archive::ObjectId elementId = fixture->elementIds[i];
            ids.insert(IdKind::FixtureElement, from.elementIds[i], elementId);
            // The element's writable copy, taken with its first patch.
            Archive::ObjectPtr holder;
            ::FixtureElement* target = nullptr;
            for (const Quil::PatchRecord& record : element->patchRecords) {
                ::PatchRecord patch;
                patch.universeId = universeOfPatch(driver, record, from.id());
                if (patch.universeId == Archive::kNoObjectId) {
                    ++patches.ignored;
                    continue;
                }
                patch.patchPoint = qint32(EnumConversions::kPatchPointType(record.patchPointType));
                if (const auto* based = record.universeBased())
                    patch.channel = based->channel;
                else if (const auto* kinet = record.kinet())
                    patch.channel = kinet->channel;
                patch.channelCount = quint16(modelElement.channelCount(patch.patchPoint, true));
                if (!holder)
                    target = editable<::FixtureElement>(::FixtureElement::kArrayId, elementId, database, holder);
                if (!target) {
                    ++patches.ignored;
                    continue;
                }
                target->addPatch(patch);
                if (record.kind() == Quil::PatchRecord::kKiNET)
                    ids.addKinetPatch(patch.universeId, elementId);
                ++patches.converted;
            }
        }
    }
    fixtures.log();
    patches.log();
}

void ConversionSteps::mergeKinetPowerSupplies(ConversionDriver& driver, ProgressTracker&)
{
    const Archive::DatabaseId database = driver.outputDatabaseId();
    IdMaps& ids = driver.m_idMaps;

    // Each converted supply once, by id, with the version-1 items that map
    // to it.
    struct Supply
    {
        quint32 ipAddress = 0;
        quint32 number = 0;
        QString name;
        std::vector<quint32> quilKeys;
    };
    std::map<Archive::ObjectId, Supply> supplies;
    for (const auto& [quilKey, id] : ids.entries(IdKind::KinetPowerSupply)) {
        if (id == Archive::kNoObjectId)
            continue;
        Archive::ObjectPtr holder;
        Archive::getObject(holder, KinetPowerSupply::kArrayId, id, database);
        const auto* supply = dynamic_cast<const KinetPowerSupply*>(holder.get());
        if (!supply)
            continue;
        Supply& entry = supplies[id];
        entry.ipAddress = supply->ipAddress;
        entry.number = supply->supplyNumber;
        entry.name = supply->name;
        entry.quilKeys.push_back(quilKey);
    }

    // The supply that stays for each address: the first, so the lowest id.
    std::map<quint32, Archive::ObjectId> kept;
    unsigned merged = 0;
    for (auto it = supplies.begin(); it != supplies.end();) {
        const auto [id, supply] = *it;
        if (supply.ipAddress == kUnsetAddress || supply.ipAddress == kDefaultKinetAddress
            || kept.emplace(supply.ipAddress, id).second) {
            ++it;
            continue;
        }
        const Archive::ObjectId keptId = kept[supply.ipAddress];
        // Each universe of the merged supply: its patches move to the kept
        // supply's universe of the same controller and port.
        std::vector<std::pair<quint32, UniverseKey>> emptied;
        for (const auto& [owner, universeId] : ids.universes()) {
            if (owner.second.kind == UniverseKey::Kinet && owner.second.a == id)
                emptied.push_back(owner);
        }
        for (const auto& [controllerId, key] : emptied) {
            const Archive::ObjectId from = ids.findUniverse(controllerId, key);
            UniverseKey keptKey = key;
            keptKey.a = keptId;
            const Archive::ObjectId to = universeFor(driver, controllerId, keptKey);
            if (to == Archive::kNoObjectId)
                continue;
            const std::vector<Archive::ObjectId> elements = ids.takeKinetPatches(from);
            for (const Archive::ObjectId elementId : elements) {
                Archive::ObjectPtr holder;
                auto* element = editable<::FixtureElement>(::FixtureElement::kArrayId, elementId, database, holder);
                if (!element)
                    continue;
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
                ids.addKinetPatch(to, elementId);
            }
            removeFromProject(Universe::kArrayId, from, database);
            ids.eraseUniverse(controllerId, key);
        }
        removeFromProject(KinetPowerSupply::kArrayId, id, database);
        for (const quint32 quilKey : supply.quilKeys) {
            ids.erase(IdKind::KinetPowerSupply, quilKey);
            logMessage(kLogInfo, "Merged KiNET power supply %d of controller %d into %d (%s)", int(quilKey & 0xFFFF),
                       int(quilKey >> 16), int(keptId), utf8(ipv4Text(supply.ipAddress)).constData());
        }
        ++merged;
        it = supplies.erase(it);
    }

    // Numbers name supplies to the user: a clash leaves the lower id its
    // number and gives the higher the lowest free one.
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
        if (auto* edited = editable<KinetPowerSupply>(KinetPowerSupply::kArrayId, id, database, holder))
            edited->supplyNumber = number;
        logMessage(kLogWarning, "Renumbered KiNET power supply %s from %d to %d", utf8(supply.name).constData(),
                   int(supply.number), int(number));
    }
    logMessage(kLogInfo, "KiNET power supplies: %u merged", merged);
}

void ConversionSteps::convertGroups(ConversionDriver& driver, ProgressTracker&)
{
    const Archive::DatabaseId database = driver.outputDatabaseId();
    IdMaps& ids = driver.m_idMaps;
    Tally groups {"Groups"};
    std::vector<Archive::ObjectId> converted;
    for (const auto& [quilId, from] : Quil::_gpShow->groups()) {
        const QString name = Quil::toQString(from.name);
        // Members are bare ids of no stated kind: fixtures and groups cannot
        // be told apart.
        if (!from.members.empty()) {
            logMessage(kLogWarning,
                       "Ignoring the %d members of group %d (%s): version-1 group members cannot be converted",
                       int(from.members.size()), int(quilId), utf8(name).constData());
        }
        auto group = Archive::makeObject<Group>();
        group->setName(name);
        try {
            const Archive::ObjectId id = addNew(Group::kArrayId, group, database);
            ids.insert(IdKind::Group, quilId, id);
            converted.push_back(id);
            ++groups.converted;
        } catch (const Archive::archive_exception& error) {
            logIgnored(QStringLiteral("group %1 (%2)").arg(quilId).arg(name), error);
            ++groups.ignored;
        }
    }

    const auto all = Archive::makeObject<Group>();
    all->setName(QLatin1String(kAllGroupsName));
    Archive::ObjectPtr allHolder = all;
    try {
        Archive::ObjectId allId = Archive::kNoObjectId;
        Archive::addObject(Group::kArrayId, allId, allHolder, database);
        for (const Archive::ObjectId id : converted) {
            const FixOrGroupKey key(FixOrGroupKey::GroupKind, quint16(id));
            if (all->canAddMember(key))
                all->insertMember(key, -1);
        }
    } catch (const Archive::archive_exception& error) {
        logIgnored(QLatin1String(kAllGroupsName), error);
    }
    groups.log();
}

void ConversionSteps::convertPixelMatrices(ConversionDriver&, ProgressTracker&)
{
    // The reader fails a show that holds any.
    Tally {"Pixel matrices"}.log();
}

void ConversionSteps::convertCustomPresets(ConversionDriver&, ProgressTracker&)
{
    // The reader fails a show that holds any.
    Tally {"Custom presets"}.log();
}

void ConversionSteps::convertMedia(ConversionDriver&, ProgressTracker&)
{
    // The reader fails a show that holds any clips or slots.
    Tally {"Media clips"}.log();
    Tally {"Media slots"}.log();
}

void ConversionSteps::convertDynamicText(ConversionDriver& driver, ProgressTracker&)
{
    const Archive::DatabaseId database = driver.outputDatabaseId();
    IdMaps& ids = driver.m_idMaps;
    const Quil::DynamicTextShowComponent& text = Quil::_gpShow->dynamicText();

    Tally fonts {"Fonts"};
    for (const Quil::FontData& from : text.fonts) {
        const auto font = Archive::makeObject<::FontData>();
        Archive::ObjectPtr holder = font;
        font->name = Quil::toQString(from.name);
        font->family = Quil::toQString(from.secondName.empty() ? from.name : from.secondName);
        font->size = from.size;
        font->styleFlags =
            quint8((from.styleFlag0 ? ::FontData::kBold : 0) | (from.styleFlag1 ? ::FontData::kItalic : 0)
                   | (from.styleFlag2 ? ::FontData::kAntialiased : 0));
        // Renders on the GUI thread; the cache keeps each font for the next.
        font->bitmap = bitmapFontFor(FontDescriptor::of(*font));
        try {
            Archive::ObjectId id = Archive::kNoObjectId;
            Archive::addObject(::FontData::kArrayId, id, holder, database);
            // Numbered once it is in: a font left out takes no number.
            Archive::ObjectPtr edited;
            if (auto* added = editable<::FontData>(::FontData::kArrayId, id, database, edited))
                added->number = driver.m_freeFontNumbers.take();
            ids.insert(IdKind::Font, from.id(), id);
            ++fonts.converted;
        } catch (const Archive::archive_exception& error) {
            logIgnored(QStringLiteral("font %1 (%2)").arg(from.id()).arg(font->name), error);
            ++fonts.ignored;
        }
    }
    fonts.log();

    // The project keeps one text per slot name, and no slot without a text.
    Tally textSlots {"Text slots"};
    Archive::ObjectPtr holder;
    auto* values = editable<TextSlotValues>(TextSlotValues::kArrayId, TextSlotValues::kObjectId, database, holder);
    // Made with the project: missing, the project is not one this program made.
    if (!values)
        throw std::runtime_error("The output project has no text slot values");
    std::map<QString, quint32> named;
    for (const Quil::TextSlot& from : text.textSlots) {
        const QString name = Quil::toQString(from.name);
        const QString slotText = Quil::toQString(from.text);
        if (slotText.isEmpty()) {
            logMessage(kLogWarning, "Ignoring text slot %d (%s): it has no text", int(from.id()),
                       utf8(name).constData());
            ++textSlots.ignored;
            continue;
        }
        if (const auto earlier = named.find(name); earlier != named.end()) {
            logMessage(kLogWarning, "Ignoring text slot %d (%s): text slot %d has the same name", int(from.id()),
                       utf8(name).constData(), int(earlier->second));
            ++textSlots.ignored;
            continue;
        }
        named.emplace(name, from.id());
        values->setSlotText(name, slotText);
        ++textSlots.converted;
    }
    textSlots.log();
    // Presets have no object of their own: the timelines that play them
    // carry their settings.
    logMessage(kLogInfo, "Text presets: %u left to the timelines that play them", unsigned(text.textPresets.size()));
}

void ConversionSteps::convertTimelines(ConversionDriver&, ProgressTracker&)
{
    // The reader fails a show that holds any.
    Tally {"Timelines"}.log();
}

void ConversionSteps::reportCustomWebInterfaces(ConversionDriver&, ProgressTracker&)
{
    logMessage(kLogInfo, "Custom web interfaces are not carried over");
}

void ConversionSteps::convertDaliInterfaces(ConversionDriver&, ProgressTracker&)
{
    // The reader fails a show that holds any.
    Tally {"DALI interfaces"}.log();
}

void ConversionSteps::convertDaliScenes(ConversionDriver&, ProgressTracker&)
{
    // The reader fails a show that holds any.
    Tally {"DALI scenes"}.log();
}

void ConversionSteps::convertTimecodeBuses(ConversionDriver&, ProgressTracker&)
{
    // A version-1 show keeps none.
    Tally {"Timecode buses"}.log();
}

void ConversionSteps::convertAudioBuses(ConversionDriver&, ProgressTracker&)
{
    // A version-1 show keeps none.
    Tally {"Audio buses"}.log();
}

void ConversionSteps::convertEthernetSources(ConversionDriver&, ProgressTracker&)
{
    // A version-1 show keeps none.
    Tally {"Ethernet sources"}.log();
}

namespace {

// Scene ids are palette ids, and the project holds 500 scenes.
const quint32 kSceneIdLimit = 500;
// Look elements name no sub-index of their element.
const quint32 kAllSubIndices = 0xFFF;
// Bits 20, 21, 22 and 27 of a palette value's word A are the look element's
// flags 0 to 3.
const int kFlagBits[] = {20, 21, 22, 27};
const quint32 kRawBytesKind = 6;
const quint32 kHalvesKinds[] = {4, 9};

// The look element of one palette value, or false when its kind has no
// version-2 counterpart.
bool lookElementOf(const Quil::PaletteValue& value, quint32 elementId, quint32 functionId, const PaletteTables& tables,
                   Lkel* lkel)
{
    qint64 kind = 0;
    if (!tables.kind.keeps(value.kind(), &kind))
        return false;
    lkel->set(Lkel::ElementId, elementId);
    lkel->set(Lkel::FunctionId, functionId);
    lkel->set(Lkel::SubIndex, kAllSubIndices);
    lkel->set(Lkel::Parameter, value.valueA());
    lkel->set(Lkel::CrossfadePath, quint32(tables.crossfadePath(value.fieldB0())));
    lkel->setFadeTime(qint32(value.getTimeA()));
    lkel->setOffsetTime(qint32(value.getTimeB()));
    lkel->set(Lkel::Kind, quint32(kind));
    const quint32 fxTable = quint32(tables.fxTable(value.fieldB6()));
    if (fxTable != 0) {
        lkel->set(Lkel::FxTable, fxTable);
        // The byte first: the numbers keep it.
        lkel->setByte(int(value.byteValue()));
        lkel->setValues(qint32(value.getNumber3()), qint32(value.getNumber2()), qint32(value.getNumber1()));
        lkel->set(Lkel::OffsetStyle, quint32(tables.offsetStyle(value.fieldB12())));
        lkel->set(Lkel::SubMode, value.fieldB29());
        quint32 flags = 0;
        for (int bit = 0; bit < 4; ++bit)
            flags |= ((value.wordA >> kFlagBits[bit]) & 1u) << bit;
        lkel->set(Lkel::Flags, flags);
    }
    if (kind == kRawBytesKind) {
        lkel->set(Lkel::Byte0, value.wordC & 0xFF);
        lkel->set(Lkel::Byte1, (value.wordC >> 8) & 0xFF);
        lkel->set(Lkel::Byte2, (value.wordC >> 16) & 0xFF);
        lkel->set(Lkel::Byte3, value.wordC >> 24);
    } else if (kind == kHalvesKinds[0] || kind == kHalvesKinds[1]) {
        lkel->set(Lkel::Word1, value.wordC & 0xFFFF);
        lkel->set(Lkel::Word2, value.wordC >> 16);
    }
    return true;
}

}  // namespace

void ConversionSteps::convertScenes(ConversionDriver& driver, ProgressTracker&)
{
    const Archive::DatabaseId database = driver.outputDatabaseId();
    IdMaps& ids = driver.m_idMaps;
    const PaletteTables& tables = driver.paletteTables();
    Tally scenes {"Scenes"};
    for (const Quil::Palette& palette : Quil::_gpShow->palettes()) {
        const QByteArray name = utf8(Quil::toQString(palette.name));
        if (palette.id() >= kSceneIdLimit) {
            logMessage(kLogWarning, "Ignoring palette %d (%s): scene ids end at %d", int(palette.id()),
                       name.constData(), int(kSceneIdLimit - 1));
            ++scenes.ignored;
            continue;
        }
        const Quil::PaletteColourRecord& record = palette.colourRecord;
        const auto scene = Archive::makeObject<Scene>();
        Archive::ObjectPtr holder = scene;
        scene->name = Quil::toQString(palette.name);
        scene->number = palette.paletteWord;
        scene->option1 = palette.word1;
        scene->option2 = palette.word2;
        Look& look = scene->look;
        look.setFadeTime(qint32(record.getTime()));
        look.skewType = quint16(EnumConversions::kSkewType(record.skewType));
        look.skewDirection = quint16(EnumConversions::kSkewDirection(record.skewDirection));

        unsigned skipped = 0;
        for (const Quil::PaletteValue& value : record.values) {
            const Archive::ObjectId elementId = ids.find(IdKind::FixtureElement, value.value2);
            // The reader has moved the function to its current number.
            const Archive::ObjectId functionId = ids.find(IdKind::Function, value.function);
            Lkel lkel;
            if (elementId == Archive::kNoObjectId || functionId == Archive::kNoObjectId
                || !lookElementOf(value, elementId, functionId, tables, &lkel)) {
                ++skipped;
                continue;
            }
            look.lkels.push_back(lkel);
        }
        if (skipped != 0) {
            logMessage(kLogWarning,
                       "Ignoring %u values of palette %d (%s): their kind, element or function has no version-2 "
                       "counterpart",
                       skipped, int(palette.id()), name.constData());
        }
        for (const auto& group : record.skewGroups) {
            LookSequence sequence;
            for (const auto& [function, values] : group) {
                const Archive::ObjectId functionId = ids.find(IdKind::Function, function);
                if (functionId != Archive::kNoObjectId)
                    sequence.valuesByFunction[functionId] = values;
            }
            if (!sequence.valuesByFunction.empty())
                look.appendEntry(sequence);
        }
        // Reads the fixtures and elements this transaction added.
        look.computeOffsets();

        try {
            Archive::ObjectId sceneId = palette.id();
            Archive::addObject(Scene::kArrayId, sceneId, holder, database);
            ids.insert(IdKind::Palette, palette.id(), sceneId);
            ++scenes.converted;
            Archive::ObjectPtr folderHolder;
            if (auto* folder = editable<ObjectFolder>(ObjectFolder::kArrayId, OutputProject::kSceneFolderId, database,
                                                      folderHolder)) {
                ObjectTag tag;
                tag.first = Scene::kArrayId;
                tag.second = sceneId;
                folder->addObject(tag, 0xFFFFFFFF);
            }
        } catch (const Archive::archive_exception& error) {
            logIgnored(QStringLiteral("palette %1 (%2)").arg(palette.id()).arg(QString::fromUtf8(name)), error);
            ++scenes.ignored;
        }
    }
    scenes.log();
}

void ConversionSteps::convertInterfaces(ConversionDriver&, ProgressTracker&)
{
    // The reader fails a show that holds any.
    Tally {"Touch-panel interfaces"}.log();
}

void ConversionSteps::convertTriggers(ConversionDriver&, ProgressTracker&)
{
    // The reader fails a show that holds any.
    Tally {"Triggers"}.log();
}
