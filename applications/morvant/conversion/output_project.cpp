#include "applications/morvant/conversion/output_project.h"

#include "applications/morvant/app_identity.h"
#include "applications/morvant/conversion/conversion_report.h"
#include "applications/morvant/conversion/enum_conversions.h"
#include "applications/morvant/conversion/layout_conversion.h"
#include "components/archive/archive_exception.h"
#include "components/archive/autosave_timer.h"
#include "components/archive/database.h"
#include "components/archive/database_schema.h"
#include "components/archive/database_storage.h"
#include "components/archive/resource_registry.h"
#include "components/lx_objects/dali/dali_project_properties.h"
#include "components/lx_objects/programming/cuelist.h"
#include "components/lx_objects/programming/text_slot_values.h"
#include "components/lx_objects/project/audio_buses.h"
#include "components/lx_objects/project/custom_properties.h"
#include "components/lx_objects/project/directories.h"
#include "components/lx_objects/project/ethernet_sources.h"
#include "components/lx_objects/project/gui_features.h"
#include "components/lx_objects/project/layout.h"
#include "components/lx_objects/project/object_folder.h"
#include "components/lx_objects/project/project_creator_info.h"
#include "components/lx_objects/project/project_database.h"
#include "components/lx_objects/project/project_properties.h"
#include "components/lx_objects/project/timecode_buses.h"
#include "components/lx_objects/views/abstract_tab_bar_state.h"
#include "components/lx_objects/views/view_states.h"
#include "components/lx_objects/views/web_interface_properties.h"
#include "components/project/tarvel_vistrel_project.h"
#include "components/quilshow/show/quil_show.h"
#include "components/quilshow/show/show_streamer.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <bitset>
#include <chrono>
#include <stdexcept>

const char* const OutputProject::kFixtureCommentProperty = "Comment";

namespace {

// The array of fixtures, whose custom property the project declares.
const Archive::ArrayId kFixtureArrayId = 2;
const Archive::ArrayId kUserInterfaceStateArrayId = 35;
const int kPlanFeature = 18;
const int kFeatureOn = 2;
// What the new project's screen colours start as (ARGB).
const quint32 kFirstColours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
const int kMinutesPerQuarterHour = 15;
const int kMinutesPerDay = 1440;

quint32 argbOf(const Quil::ShowColour& colour)
{
    return 0xFF000000u | quint32(colour.r) << 16 | quint32(colour.g) << 8 | colour.b;
}

// Version-1 angles are degrees, minutes, seconds, direction.
GeoCoord geoCoordOf(const Quil::ShowSettings::Angle& angle)
{
    GeoCoord coord;
    coord.direction = angle[3] <= 1 ? angle[3] : GeoCoord::kUnset;
    coord.degrees = angle[0];
    coord.minutes = angle[1];
    coord.seconds = angle[2];
    return coord;
}

// Adds an object at a fixed id (kNoObjectId: the database picks one) and
// answers the id it took.
Archive::ObjectId addAt(Archive::ArrayId array, Archive::ObjectId id, Archive::ObjectPtr object,
                        Archive::DatabaseId database)
{
    Archive::addObject(array, id, object, database);
    return id;
}

// The show's settings (location, time, colours, formats) are one item.
Archive::Pointer<ProjectProperties> projectPropertiesOf(const QuilShow& show, const LayoutProperties& layout,
                                                        ConversionReport& report)
{
    const Quil::ShowSettings& settings = show.settings;
    auto properties = Archive::makeObject<ProjectProperties>();
    properties->setText2(Quil::toQString(settings.text1));
    properties->setText3(Quil::toQString(settings.text2));
    properties->location.groupA = geoCoordOf(settings.latitude);
    properties->location.groupB = geoCoordOf(settings.longitude);
    report.madeQuietly(ReportKind::ShowSettings);
    bool offsetKept = true;
    properties->location.offset = convertTimeZoneOffset(settings.timeZoneOffset, &offsetKept);
    if (!offsetKept) {
        report.changed(
            ReportKind::ShowSettings, 0,
            QStringLiteral("Failed to convert time zone offset %1: the project keeps UTC").arg(settings.timeZoneOffset),
            Causes::kTimeZoneOffset);
    }
    // The version-1 rule has no version-2 counterpart: the project keeps
    // standard time rather than switch on the wrong days.
    properties->location.enabled = false;
    if (settings.daylightSaving[0] != 0 && settings.daylightSaving[3] != 0) {
        QStringList bytes;
        for (const quint8 byte : settings.daylightSaving)
            bytes << QString::number(byte);
        report.changed(ReportKind::ShowSettings, 0,
                       QStringLiteral("Failed to convert daylight saving rule %1: the project keeps standard time; "
                                      "set up daylight saving in the new project")
                           .arg(bytes.join(QStringLiteral(", "))),
                       Causes::kDaylightSaving);
    }
    properties->option5 = 10;
    properties->timeFormat = Quil::toQString(show.dynamicText().upperCaseFormat);
    properties->dateFormat = Quil::toQString(show.dynamicText().lowerCaseFormat);
    properties->colour1 = argbOf(settings.colour2);
    properties->colour2 = argbOf(settings.colour3);
    properties->layout = layout;
    return properties;
}

Archive::Pointer<DaliProjectProperties> daliPropertiesOf(const QuilShow& show, ConversionReport& report)
{
    auto properties = Archive::makeObject<DaliProjectProperties>();
    properties->settings.testFlag1 = show.dali().testFlags[0];
    properties->settings.testFlag2 = show.dali().testFlags[1];
    for (int index = 0; index < 2; ++index) {
        const Quil::DaliTestSchedule& from = show.dali().testSchedules[index];
        const ScheduleConversion converted = convertDaliTestSchedule(from);
        properties->setTestSchedule(index, converted.schedule);
        report.madeQuietly(ReportKind::DaliTestSchedules);
        const QString item = QStringLiteral("DALI test schedule %1 of the show").arg(index + 1);
        if (converted.defaulted) {
            report.changed(ReportKind::DaliTestSchedules, quint64(index),
                           QStringLiteral("%1 arrives as the default schedule, as its day mode %2 has no version-2 "
                                          "counterpart: set the schedule in the new project")
                               .arg(item)
                               .arg(from.dayMode),
                           Causes::kScheduleDefault);
        }
        if (!converted.monthWeekKept) {
            const EnumConversion& monthWeek = EnumConversions::kMonthWeek;
            report.changed(
                ReportKind::DaliTestSchedules, quint64(index),
                monthWeek.failureText(
                    from.monthWeek, QStringLiteral("%1 arrives with month week %2").arg(item).arg(monthWeek.fallback)),
                Causes::kMonthWeekFallback);
        }
    }
    return properties;
}

// The show's first two texts become the project's second and third; the
// project has no place for the third.
void countShowTexts(const QuilShow& show, ConversionReport& report)
{
    for (const std::string* text : {&show.settings.text1, &show.settings.text2}) {
        if (!Quil::toQString(*text).isEmpty())
            report.made(ReportKind::ShowTexts);
    }
    const QString third = Quil::toQString(show.settings.text3);
    if (!third.isEmpty()) {
        report.ignore(ReportKind::ShowTexts, QStringLiteral("the show's third text \"%1\"").arg(third),
                      QStringLiteral("a version-2 project has no place for it; keep it elsewhere if you need it"),
                      Causes::kNoPlaceForThirdText);
    }
}

}  // namespace

qint16 convertTimeZoneOffset(qint16 quarterHours, bool* kept)
{
    const int minutes = int(quarterHours) * kMinutesPerQuarterHour;
    *kept = minutes >= -kMinutesPerDay && minutes <= kMinutesPerDay;
    return *kept ? qint16(minutes) : 0;
}

ScheduleConversion convertDaliTestSchedule(const Quil::DaliTestSchedule& from)
{
    ScheduleConversion converted;
    const auto week = [&] {
        qint64 to = 0;
        converted.monthWeekKept = EnumConversions::kMonthWeek.keeps(from.monthWeek, &to);
        return quint8(converted.monthWeekKept ? to : EnumConversions::kMonthWeek.fallback);
    };
    DaliTestSchedule& schedule = converted.schedule;
    const quint8 interval = quint8(from.interval);
    DaliSchedulePayload payload;
    switch (from.kind) {
    case 0:
        schedule.setKind0(from.interval);
        break;
    case 1:
        payload = makeScheduleWeekdayMask(std::bitset<7>(from.weekdays));
        payload.interval = interval;
        schedule.setKind1(payload);
        break;
    case 2:
    case 3:
        if (from.dayMode > 1) {
            converted.defaulted = true;
            break;
        }
        if (from.kind == 2) {
            payload = from.dayMode == 0 ? makeSchedulePair(week(), from.weekday)
                                        : makeScheduleDayMask(std::bitset<31>(from.days));
        } else {
            payload = from.dayMode == 0 ? makeScheduleMonthMask(from.dayOfMonth, std::bitset<12>(from.months))
                                        : makeScheduleMonthMaskPair(week(), from.weekday, std::bitset<12>(from.months));
        }
        payload.interval = interval;
        from.kind == 2 ? schedule.setKind2(payload) : schedule.setKind3(payload);
        break;
    default:
        // The reader refuses other kinds.
        converted.defaulted = true;
        break;
    }
    schedule.byteA = from.leading1;
    schedule.byteB = from.leading2;
    return converted;
}

WorkingFolderError::WorkingFolderError(const QString& message, const QString& dataFolder)
    : std::runtime_error(message.toStdString()), m_dataFolder(dataFolder)
{}

WorkingFolderError::WorkingFolderError(const QString& message, const QString& dataFolder, const QString& folder,
                                       const QString& reason)
    : std::runtime_error(message.toStdString()), m_dataFolder(dataFolder), m_folder(folder), m_reason(reason)
{}

OutputProject::OutputProject() = default;

OutputProject::~OutputProject() { close(); }

void OutputProject::create()
{
    m_project.reset(new TarvelVistrelProject(false));
    if (!m_project->create(QUuid::createUuid(), QString()))
        throw WorkingFolderError(m_project->lastError(), m_project->projectsFolder());
    m_project->setProgramVersion(AppIdentity::programVersion());

    const Archive::DatabaseSettings settings = makeDatabaseSettings(Archive::kAutoSaveOff, Archive::kAutoSaveOff);
    const Archive::DatabaseId id = Archive::createDatabase(settings, Archive::projectSchema(), Archive::kNoDatabase);
    m_project->setDatabaseId(id);

    ProjectCreatorInfo creator;
    creator.programVersion = AppIdentity::programVersion();
    Archive::DatabaseOpenParameters parameters;
    parameters.path = m_project->folderPath() + QLatin1Char('/') + Archive::projectDatabaseFolderName();
    parameters.supportedVersion = kProjectStreamVersion;
    parameters.openExisting = false;
    parameters.extra = creator.toByteArray();
    Archive::openDatabase(parameters, id);
    Archive::setDatabaseUuid(m_project->projectUuid(), id);
}

void OutputProject::initialise(const QuilShow& show, ConversionReport& report, const ShowBundle& bundle)
{
    const Archive::DatabaseId database = databaseId();
    addAt(0, kTriggerDirectoryId, Archive::makeObject<TriggerDirectory>(), database);
    addAt(0, kDaliSceneDirectoryId, Archive::makeObject<DaliSceneDirectory>(), database);

    // One value for the project and its layout: the background image is
    // registered and counted once.
    const LayoutProperties layout =
        convertLayoutProperties(show.settings, QFile::decodeName(show.folder.c_str()), report, bundle);
    countShowTexts(show, report);
    addAt(0, kProjectPropertiesId, projectPropertiesOf(show, layout, report), database);
    const auto features = Archive::makeObject<GuiFeatures>();
    features->setFeature(kPlanFeature, kFeatureOn);
    addAt(0, kGuiFeaturesId, features, database);
    addAt(0, kTimecodeBusesId, Archive::makeObject<TimecodeBuses>(), database);
    addAt(0, kAudioBusesId, Archive::makeObject<AudioBuses>(), database);
    addAt(0, kEthernetSourcesId, Archive::makeObject<EthernetSources>(), database);
    const auto web = Archive::makeObject<WebInterfaceProperties>();
    web->text = QString::fromStdString(show.settings.webInterfaceText);
    addAt(0, kWebInterfacePropertiesId, web, database);
    addAt(0, kDaliProjectPropertiesId, daliPropertiesOf(show, report), database);
    const auto custom = Archive::makeObject<CustomProperties>();
    custom->addProperty(kFixtureArrayId, QLatin1String(kFixtureCommentProperty));
    addAt(0, kCustomPropertiesId, custom, database);
    addAt(0, kTextSlotValuesId, Archive::makeObject<TextSlotValues>(), database);

    for (Archive::ObjectId folder : {kCustomPresetFolderId, kMediaClipFolderId, kSceneFolderId})
        addAt(ObjectFolder::kArrayId, folder, Archive::makeObject<ObjectFolder>(), database);
    const auto plan = Archive::makeObject<Layout>();
    plan->layoutKind = 1;
    plan->properties = layout;
    const Archive::ObjectId layoutId = addAt(Layout::kArrayId, Archive::kNoObjectId, plan, database);
    addAt(Cuelist::kArrayId, Archive::kNoObjectId, Archive::makeObject<Cuelist>(), database);

    const auto colours = Archive::makeObject<ColourDataState>();
    colours->firstColours.assign(std::begin(kFirstColours), std::end(kFirstColours));
    for (const Quil::ShowColour& colour : show.settings.colourList)
        colours->secondColours.push_back(argbOf(colour));
    addAt(kUserInterfaceStateArrayId, kColourDataStateId, colours, database);
    const auto layouts = Archive::makeObject<LayoutManagerState>();
    layouts->tabIds = {layoutId};
    layouts->currentTabId = layoutId;
    addAt(kUserInterfaceStateArrayId, kLayoutManagerStateId, layouts, database);
}

void OutputProject::copyResources()
{
    if (!m_project->copyResources(kResourceMask, ResourceRegistry::instance()))
        throw WorkingFolderError(m_project->lastError(), m_project->projectsFolder());
}

bool OutputProject::save(const QString& path, ProgressTracker& progress)
{
    using Clock = std::chrono::steady_clock;
    m_saveTimes = {};
    const Clock::time_point start = Clock::now();
    const QString folder = m_project->folderPath();
    const auto failed = [&](const QString& message, const QString& reason) {
        // Removed by hand or by a cleaner of old files: the project in it is lost.
        const bool gone = !QFileInfo(folder).isDir();
        return WorkingFolderError(
            gone ? QStringLiteral("The working folder %1 is gone").arg(QDir::toNativeSeparators(folder)) : message,
            m_project->projectsFolder(), folder, gone ? QString() : reason);
    };
    if (!QFileInfo(folder).isDir())
        throw failed(QString(), QString());
    // Writes only what changed since the last save; every file it writes is
    // in the working folder, so its failure is that folder's, never the
    // target's.
    try {
        Archive::saveDatabase(databaseId(), 0);
    } catch (const Archive::storage_error& error) {
        throw failed(QString::fromUtf8(error.what()), error.reason());
    }
    const Clock::time_point saved = Clock::now();
    m_saveTimes.first = std::chrono::duration<double>(saved - start).count();
    const bool packed = m_project->saveToFile(path, &progress);
    m_saveTimes.second = std::chrono::duration<double>(Clock::now() - saved).count();
    // A packing that could not read the working folder: gone meanwhile?
    if (!packed && m_project->lastSystemError() == 0 && !QFileInfo(folder).isDir())
        throw failed(QString(), QString());
    return packed;
}

QString OutputProject::saveNote() const { return m_project ? m_project->saveNote() : QString(); }

Archive::DatabaseId OutputProject::databaseId() const
{
    return m_project ? m_project->databaseId() : Archive::kNoDatabase;
}

QString OutputProject::folderPath() const { return m_project ? m_project->folderPath() : QString(); }

void OutputProject::close()
{
    if (!m_project)
        return;
    const Archive::DatabaseId id = m_project->databaseId();
    if (id != Archive::kNoDatabase) {
        Archive::resetDatabase(id);
        Archive::closeDatabase(id);
        Archive::setCurrentDatabase(Archive::kNoDatabase);
        m_project->setDatabaseId(Archive::kNoDatabase);
    }
    m_project->setFlags(0);
    ResourceRegistry::instance()->clear();
    m_project.reset();
}
