// Functions, fixture types and fixtures: each version-1 fixture becomes a
// fixture of its type's model, placed on the plan, its patch and DALI data
// carried by the neighbouring sources.
#include "applications/common/util/versioned_settings.h"
#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/enum_conversions.h"
#include "applications/morvant/conversion/output_project.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "applications/morvant/failure_advice.h"
#include "components/archive/archive_exception.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/message_handler.h"
#include "components/fixture_library/online_fixture_library.h"
#include "components/lx_objects/fixtures/fixture.h"
#include "components/lx_objects/fixtures/fixture_element.h"
#include "components/lx_objects/fixtures/fixture_instance.h"
#include "components/lx_objects/fixtures/fixture_model.h"
#include "components/lx_objects/fixtures/fixture_vocabulary.h"
#include "components/lx_objects/fixtures/function.h"
#include "components/lx_objects/project/custom_properties.h"
#include "components/lx_objects/views/abstract_tab_bar_state.h"
#include "components/quilshow/show/quil_show.h"
#include "seltrane_components/os/logger.h"

#include <QPoint>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace {

// The name the standard table gives what version-1 shows call "Colour Temp
// Correct".
const char* const kColourTemperatureName = "Colour Temperature";
const char* const kOldColourTemperatureName = "Colour Temp Correct";
// The functions whose model parameter flags a fixture keeps.
const quint32 kFlagAFunction = 3;
const quint32 kFlagBFunction = 4;
const quint32 kFixtureColourAlpha = 0xFF000000;
// The setting that turns the online fixture library on.
const char kOnlineLibraryUrlKey[] = "OnlineFixtureLibrary/Url";
// How many fixtures pass between two moves of the bar.
const unsigned kFixturesPerProgressStep = 64;

// The library's key of a version-1 fixture type: its lowest mode. Modes are
// tried in order, as the library's lowest-mode search gives the model and
// not the key it is filed under.
bool libraryKeyOf(const FixtureLibrary& library, quint16 manufacturer, quint16 model, FixtureModelKey* key)
{
    for (int mode = 0; mode <= 255; ++mode) {
        const FixtureModelKey candidate {manufacturer, model, quint8(mode)};
        if (library.find(candidate)) {
            *key = candidate;
            return true;
        }
    }
    return false;
}

using TypeSet = std::set<std::pair<quint16, quint16>>;

TypeSet missingTypes(const ConversionContext& context)
{
    TypeSet missing;
    for (const Quil::Fixture& from : context.show.fixtures().fixtures) {
        const quint16 manufacturer = from.modelSpec.manufacturerId;
        const quint16 model = from.modelSpec.modelId;
        if (!context.library.find(manufacturer, model))
            missing.insert({manufacturer, model});
    }
    return missing;
}

// Fetches the definition files of the types that the fixture library lacks,
// and adds those it still lacks; answers the types still missing.
TypeSet fetchMissingTypes(ConversionContext& context, const TypeSet& missing)
{
    if (missing.empty() || !context.onlineLibrary.isEnabled())
        return missing;
    std::vector<OnlineFixtureLibrary::ModelId> keys;
    for (const auto& [manufacturer, model] : missing)
        keys.push_back({manufacturer, model});
    const std::vector<OnlineFixtureLibrary::Fetched> fetched = context.onlineLibrary.fetch(keys, context.progress);
    for (std::size_t i = 0; i < fetched.size() && i < keys.size(); ++i) {
        // A copy that was already current reaches the library no other way.
        if (fetched[i].path.isEmpty() || context.library.find(keys[i].manufacturerId, keys[i].modelId))
            continue;
        ConcatenatingMessageHandler messages;
        context.library.addFile(fetched[i].path, messages);
        for (const QString& message : messages.messages())
            logMessage(kLogWarning, "%s", utf8(message).constData());
    }
    return missingTypes(context);
}

// Where the online library's address is set: the key, its group and file.
QString onlineLibrarySetting(const VersionedSettings& settings)
{
    QString group = settings.versionedKey(QString());
    group.chop(1);
    return QStringLiteral("\"%1\" (group \"%2\" of %3)")
        .arg(QLatin1String(kOnlineLibraryUrlKey), group, settings.fileName());
}

QString folderOrNone(const QString& folder) { return folder.isEmpty() ? QStringLiteral("(none)") : folder; }

// What a conversion that meets fixtures says of the library: the problems
// its load met, and why types are missing.
void noteLibraryState(ConversionContext& context, const TypeSet& missing)
{
    for (const QString& message : context.library.loadMessages())
        logMessage(kLogWarning, "Fixture library: %s", utf8(message).constData());
    if (missing.empty())
        return;
    if (!context.onlineLibrary.isEnabled()) {
        const QString types = ConversionReport::counted(missing.size(), "fixture type", "fixture types")
            + ConversionReport::byCount(missing.size(), " of the show is not in the fixture library and was",
                                        " of the show are not in the fixture library and were");
        logMessage(kLogWarning, "%s not fetched: the online fixture library is off, as no address is set under %s",
                   utf8(types).constData(), utf8(onlineLibrarySetting(context.settings)).constData());
    }
    if (!context.library.hasSystemModels()) {
        // Two lines: the logger cuts a line at 511 bytes, and paths are long.
        const QString folders =
            QStringLiteral("The fixture library's system folder holds no fixture definitions, as none ship with the "
                           "program: definition files (*.fixture) are looked for in %1 (system), %2 (yours) and %3 "
                           "(downloads).")
                .arg(folderOrNone(context.library.systemFolder()), folderOrNone(context.library.userFolder()),
                     folderOrNone(context.library.downloadsFolder()));
        const QString advice = missingTypesAdvice(context.onlineLibrary, onlineLibrarySetting(context.settings));
        logMessage(kLogWarning, "%s", utf8(folders).constData());
        logMessage(kLogWarning, "%s", utf8(advice).constData());
    }
}

// "2 elements of 6 and 4 channels", "64 elements of 3 channels".
QString footprintText(const std::vector<int>& channels)
{
    const QString elements = ConversionReport::counted(channels.size(), "element", "elements");
    if (channels.empty())
        return elements;
    const auto [low, high] = std::minmax_element(channels.begin(), channels.end());
    if (*low == *high)
        return QStringLiteral("%1 of %2")
            .arg(elements, ConversionReport::counted(quint64(*low), "channel", "channels"));
    if (channels.size() > 4)
        return QStringLiteral("%1 of %2 to %3 channels").arg(elements).arg(*low).arg(*high);
    QStringList counts;
    for (const int count : channels)
        counts << QString::number(count);
    const QString last = counts.takeLast();
    return QStringLiteral("%1 of %2 and %3 channels").arg(elements, counts.join(QStringLiteral(", ")), last);
}

// Each version-1 element's channel count, 0 for one the show lacks.
std::vector<int> showFootprint(const ConversionContext& context, const Quil::Fixture& fixture)
{
    const Quil::FixtureShowComponent& fixtures = context.show.fixtures();
    std::vector<int> channels;
    for (std::size_t i = 0; i < fixture.elementIds.size(); ++i) {
        const Quil::FixtureElement* element = fixtures.elements.find(fixture.elementIds[i]);
        channels.push_back(element ? int(element->getFootprint(Quil::FixtureModelElement::kAllGroups)) : 0);
    }
    return channels;
}

std::vector<int> modelFootprint(const FixtureModel& model)
{
    std::vector<int> channels;
    for (const FixtureModelElement& element : model.elements())
        channels.push_back(int(element.channelCount(-1, true)));
    return channels;
}

// Whether each version-1 element has the footprint of the model's element
// at its position.
bool elementsMatch(const ConversionContext& context, const Quil::Fixture& fixture, const FixtureModel& model)
{
    const Quil::FixtureShowComponent& fixtures = context.show.fixtures();
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

// A fixture's type as found: the project's model once added, else the
// library's lowest mode, which enters the project with its first fixture.
struct FixtureType
{
    Archive::ObjectId modelId = Archive::kNoObjectId;
    const FixtureModel* model = nullptr;
    Archive::ObjectPtr projectModel;
    FixtureLibrary::ModelPtr libraryModel;
    FixtureModelKey key;
};

bool findType(ConversionContext& context, const Quil::Fixture& from, FixtureType* type)
{
    const quint16 manufacturer = from.modelSpec.manufacturerId;
    const quint16 model = from.modelSpec.modelId;
    type->modelId = context.ids.find(IdKind::FixtureModel, IdMaps::modelKey(manufacturer, model));
    if (type->modelId != Archive::kNoObjectId) {
        Archive::getObject(type->projectModel, FixtureModel::kArrayId, type->modelId, context.database);
        type->model = dynamic_cast<const FixtureModel*>(type->projectModel.get());
    } else if (libraryKeyOf(context.library, manufacturer, model, &type->key)) {
        type->libraryModel = context.library.find(type->key);
        type->model = type->libraryModel.get();
    }
    if (!type->model) {
        context.report.ignore(
            ReportKind::Fixtures, fixtureItem(from),
            QStringLiteral("fixture type %1/%2 is not in the fixture library").arg(manufacturer).arg(model),
            Causes::kTypeNotInLibrary);
        return false;
    }
    if (!elementsMatch(context, from, *type->model)) {
        context.report.ignore(
            ReportKind::Fixtures, fixtureItem(from),
            QStringLiteral("its %1 %2 fixture type %3, which has %4")
                .arg(footprintText(showFootprint(context, from)),
                     ConversionReport::byCount(from.elementIds.size(), "does not match", "do not match"),
                     type->model->modelSpec.name, footprintText(modelFootprint(*type->model))),
            Causes::kElementsDoNotMatch);
        return false;
    }
    return true;
}

// Adds a copy of the library's model to the project, its functions moved to
// the project's; false (reported) when the project has no room for it.
bool addProjectModel(ConversionContext& context, const Quil::Fixture& from, FixtureType* type)
{
    Archive::Pointer<FixtureModel> model =
        context.library.modelForProject(type->key, context.ids.entries(IdKind::StandardFunction));
    try {
        type->modelId = context.add(FixtureModel::kArrayId, model);
    } catch (const Archive::archive_exception& error) {
        context.report.refused(ReportKind::Fixtures, fixtureItem(from), error);
        return false;
    }
    context.library.addProjectModel(type->key, *model);
    context.ids.insert(IdKind::FixtureModel, IdMaps::modelKey(type->key.manufacturerId, type->key.modelId),
                       type->modelId);
    context.report.made(ReportKind::FixtureModels);
    return true;
}

// Adds the fixture with its elements; null (reported) when the project
// refused it, with nothing of it left behind.
Archive::Pointer<Fixture> addFixture(ConversionContext& context, const Quil::Fixture& from, Archive::ObjectId modelId)
{
    const Archive::Pointer<Fixture> fixture = Archive::makeObject<Fixture>();
    Archive::ObjectPtr holder = fixture;
    Archive::ObjectId fixtureId = Archive::kNoObjectId;
    try {
        Archive::addObject(Fixture::kArrayId, fixtureId, holder, context.database);
        fixture->setModel(modelId);
    } catch (const Archive::archive_exception& error) {
        // A fixture with some of its elements would be patched wrong.
        for (const quint32 elementId : fixture->elementIds)
            context.remove(::FixtureElement::kArrayId, elementId);
        if (fixtureId != Archive::kNoObjectId)
            context.remove(Fixture::kArrayId, fixtureId);
        context.report.refused(ReportKind::Fixtures, fixtureItem(from), error);
        return {};
    }
    context.report.made(ReportKind::Fixtures);
    context.report.made(ReportKind::FixtureElements, unsigned(fixture->elementIds.size()));
    return fixture;
}

void fillFixture(ConversionContext& context, const Quil::Fixture& from, Fixture& fixture)
{
    fixture.number = from.number;
    if (!from.planSettings.name.empty())
        fixture.name = Quil::toQString(from.planSettings.name);
    fixture.factor = from.modelSpec.factor;
    fixture.fixtureFlag = from.fixtureFlag;
    fixture.parameterFlagA = context.show.fixtures().getFixtureParameterFlag(from.id(), kFlagAFunction);
    fixture.parameterFlagB = context.show.fixtures().getFixtureParameterFlag(from.id(), kFlagBFunction);
    fixture.dimmerCurve =
        quint16(convertValue(context.report, ReportKind::Fixtures, from.id(), Causes::kDimmerCurveFallback,
                             EnumConversions::kDimmerCurve, from.modelSpec.dimmerCurve, fixture.dimmerCurve,
                             [&] { return fixtureItem(from) + QStringLiteral(" keeps its type's dimmer curve"); }));
}

// The fixture's plan place; *shapeKept is false when its shape has no
// counterpart.
Archive::Pointer<FixtureInstance> instanceOf(const Quil::Fixture& from, Archive::ObjectId fixtureId,
                                             Archive::ObjectId layoutId, bool* shapeKept)
{
    const Quil::PlanSettings& plan = from.planSettings;
    auto instance = Archive::makeObject<FixtureInstance>();
    instance->fixtureId = fixtureId;
    instance->layoutId = layoutId;
    instance->position = QPoint(int(plan.planX), int(plan.planY));
    instance->placement = {plan.planWord, from.modelSpec.xElDimension, from.modelSpec.yElDimension};
    const EnumConversion& shape = EnumConversions::kFixtureShape;
    qint64 kept = 0;
    *shapeKept = shape.keeps(from.modelSpec.specFlagByte, &kept);
    instance->shape = quint8(*shapeKept ? kept : shape.fallback);
    instance->flag = plan.planFlag3;
    instance->colour = kFixtureColourAlpha | quint32(plan.red) << 16 | quint32(plan.green) << 8 | plan.blue;
    instance->label = Quil::toQString(plan.label);
    return instance;
}

// The fixture's place on the plan and its comment.
void placeFixture(ConversionContext& context, const Quil::Fixture& from, Archive::ObjectId fixtureId,
                  Archive::ObjectId layoutId)
{
    try {
        bool shapeKept = true;
        context.add(FixtureInstance::kArrayId, instanceOf(from, fixtureId, layoutId, &shapeKept));
        context.report.made(ReportKind::PlanPlaces);
        if (!shapeKept) {
            const EnumConversion& shape = EnumConversions::kFixtureShape;
            context.report.changed(ReportKind::PlanPlaces, from.id(),
                                   shape.failureText(from.modelSpec.specFlagByte,
                                                     QStringLiteral("the plan place of %1 arrives with shape %2")
                                                         .arg(fixtureItem(from), QString::number(shape.fallback))),
                                   Causes::kShapeFallback);
        }
    } catch (const Archive::archive_exception& error) {
        context.report.refused(ReportKind::PlanPlaces, QStringLiteral("the plan place of ") + fixtureItem(from), error);
    }
    if (from.planSettings.text3.empty())
        return;
    Archive::ObjectPtr holder;
    if (auto* custom = context.edit<CustomProperties>(0, OutputProject::kCustomPropertiesId, holder)) {
        custom->setValue(Fixture::kArrayId, QLatin1String(OutputProject::kFixtureCommentProperty), fixtureId,
                         Quil::toQString(from.planSettings.text3));
        context.report.made(ReportKind::FixtureComments);
    }
}

Archive::ObjectId currentLayout(const ConversionContext& context)
{
    Archive::ObjectPtr holder;
    Archive::getObject(holder, 35, OutputProject::kLayoutManagerStateId, context.database);
    const auto* layouts = dynamic_cast<const LayoutManagerState*>(holder.get());
    return layouts ? layouts->currentTabId : Archive::kNoObjectId;
}

// What belongs to a fixture left out goes with it: said on the tallies of
// its kinds, counted with the fixture. Its elements are only noted in
// `leftElements`: countElementsLeftOut() counts them once every fixture is
// converted.
void leaveOutWithFixture(ConversionContext& context, const Quil::Fixture& from, std::vector<quint16>& leftElements)
{
    leftElements.insert(leftElements.end(), from.elementIds.begin(), from.elementIds.end());
    ConversionReport& report = context.report;
    report.touch(ReportKind::FixtureElements);
    report.leftWithFixtures(ReportKind::PlanPlaces, 1);
    if (!from.planSettings.text3.empty())
        report.leftWithFixtures(ReportKind::FixtureComments, 1);
}

// The elements that fixtures left out list, with their patch records, each
// counted once: fixtures may share an element or list one twice, and an
// element that arrived with another fixture was not left out.
void countElementsLeftOut(ConversionContext& context, std::vector<quint16>& leftElements)
{
    std::sort(leftElements.begin(), leftElements.end());
    leftElements.erase(std::unique(leftElements.begin(), leftElements.end()), leftElements.end());
    const Quil::FixtureShowComponent& fixtures = context.show.fixtures();
    quint64 elements = 0, records = 0;
    for (const quint16 elementId : leftElements) {
        if (context.ids.contains(IdKind::FixtureElement, elementId))
            continue;
        if (const Quil::FixtureElement* element = fixtures.elements.find(elementId)) {
            ++elements;
            records += element->patchRecords.size();
        }
    }
    if (elements != 0)
        context.report.leftWithFixtures(ReportKind::FixtureElements, elements);
    if (records != 0)
        context.report.leftWithFixtures(ReportKind::PatchRecords, records);
}

void convertFixture(ConversionContext& context, const Quil::Fixture& from, Archive::ObjectId layoutId,
                    std::vector<quint16>& leftElements)
{
    FixtureType type;
    Archive::Pointer<Fixture> fixture;
    if (findType(context, from, &type)
        && (type.modelId != Archive::kNoObjectId || addProjectModel(context, from, &type)))
        fixture = addFixture(context, from, type.modelId);
    if (!fixture) {
        leaveOutWithFixture(context, from, leftElements);
        return;
    }
    fillFixture(context, from, *fixture);
    context.ids.insert(IdKind::Fixture, from.id(), fixture->getId());
    placeFixture(context, from, fixture->getId(), layoutId);
    ConversionSteps::convertPatches(context, from, *fixture, *type.model);
}

}  // namespace

void ConversionSteps::convertFunctions(ConversionContext& context)
{
    IdMaps& ids = context.ids;
    // The standard functions, which fixture models name by their ids.
    const FixtureVocabulary::StandardFunction* rows = FixtureVocabulary::standardFunctions();
    for (std::size_t row = 0; row < FixtureVocabulary::kStandardFunctionCount; ++row) {
        auto function = Archive::makeObject<Function>();
        function->name = QString::fromLatin1(rows[row].name);
        function->kind = rows[row].category;
        // A fresh project's function array has room for every row: a failure
        // here is the database's, and fails the conversion.
        ids.insert(IdKind::StandardFunction, rows[row].id, context.add(Function::kArrayId, function));
    }

    // The tally counts the show's functions mapped onto the standard ones.
    context.report.touch(ReportKind::Functions);
    context.report.setStandardFunctions(FixtureVocabulary::kStandardFunctionCount);
    for (const Quil::Function& from : context.show.functions()) {
        QString name = Quil::toQString(from.name);
        if (name == QLatin1String(kOldColourTemperatureName))
            name = QLatin1String(kColourTemperatureName);
        const FixtureVocabulary::StandardFunction* row = FixtureVocabulary::standardFunctionByName(name);
        if (!row) {
            context.report.ignore(ReportKind::Functions,
                                  ConversionReport::itemName("function", from.id(), Quil::toQString(from.name)),
                                  QStringLiteral("it has no version-2 counterpart"), Causes::kNoCounterpart);
            continue;
        }
        ids.insert(IdKind::Function, from.id(), ids.find(IdKind::StandardFunction, row->id));
        context.report.made(ReportKind::Functions);
    }
}

void ConversionSteps::convertFixtures(ConversionContext& context)
{
    ConversionReport& report = context.report;
    report.touch(ReportKind::Fixtures);
    report.touch(ReportKind::PatchRecords);
    const auto& fixtures = context.show.fixtures().fixtures;
    // One fetch for every type the library lacks, then the fixtures.
    ProgressStage stage(&context.progress, 2);
    if (fixtures.size() != 0) {
        noteLibraryState(context, fetchMissingTypes(context, missingTypes(context)));
    }
    stage.step(1);

    const Archive::ObjectId layoutId = currentLayout(context);
    ProgressStage fixtureStage(&context.progress, unsigned(fixtures.size() / kFixturesPerProgressStep + 1));
    unsigned done = 0;
    std::vector<quint16> leftElements;
    for (const Quil::Fixture& from : fixtures) {
        if (context.stopRequested())
            return;
        convertFixture(context, from, layoutId, leftElements);
        if (++done % kFixturesPerProgressStep == 0)
            fixtureStage.step(done / kFixturesPerProgressStep);
    }
    countElementsLeftOut(context, leftElements);
    report.flushLimits();
    convertDaliFixtures(context);
}
