#include "applications/morvant/conversion/conversion_driver.h"

#include "applications/common/util/versioned_settings.h"

#include "applications/morvant/conversion/conversion_context.h"
#include "applications/morvant/conversion/layout_conversion.h"
#include "applications/morvant/conversion/output_project.h"
#include "applications/morvant/conversion/palette_tables.h"
#include "applications/morvant/conversion/steps/conversion_steps.h"
#include "applications/morvant/failure_advice.h"
#include "components/archive/archive_exception.h"
#include "components/archive/archive_file.h"
#include "components/archive/database.h"
#include "components/archive/edit_context.h"
#include "components/fixture_library/fixture_library.h"
#include "components/fixture_library/kinet_power_supply_list.h"
#include "components/fixture_library/online_fixture_library.h"
#include "components/lx_engine/programming/bitmap_font_cache.h"
#include "components/lx_objects/project/object_types.h"
#include "components/project/tarvel_vistrel_project.h"
#include "components/quilshow/show/bundler.h"
#include "components/quilshow/show/quil_show.h"
#include "components/quilshow/show/show_file.h"
#include "components/quilshow/show/show_kinds.h"
#include "seltrane_components/os/file_utils.h"
#include "seltrane_components/os/logger.h"
#include "seltrane_components/os/progress_tracker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QTemporaryDir>

#include <chrono>
#include <exception>
#include <optional>
#include <stdexcept>

namespace {

std::string nativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

void logLoadFailure(const QString& reason)
{
    logMessage(kLogWarning, "Failed to load the input project, error = %s", reason.toUtf8().constData());
}

// The plain-words line that follows a failure's own message.
void logAdvice(const QString& advice) { logMessage(kLogWarning, "%s", advice.toUtf8().constData()); }

// A bundle or archive is expanded before its show is read.
bool expandsFirst(const QString& path)
{
    return Quil::Bundler::isBundle(nativePath(path)) || Quil::isBundleKind(QFileInfo(path).suffix());
}

// Expanding writes every byte of the input again, most of a conversion's work
// for a bundle of media: it weighs as much as all later steps together, and
// nine times reading the show.
const unsigned kExpandingWeight = 9;

// Adds the seconds from its making to its end to a phase's time.
class PhaseTimer
{
public:
    explicit PhaseTimer(double& seconds) : m_seconds(seconds) {}
    ~PhaseTimer() { m_seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count(); }
    PhaseTimer(const PhaseTimer&) = delete;
    PhaseTimer& operator=(const PhaseTimer&) = delete;

private:
    double& m_seconds;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Runs a function when the scope ends, however it ends.
template <class F>
class ScopeExit
{
public:
    explicit ScopeExit(F function) : m_function(function) {}
    ~ScopeExit() { m_function(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F m_function;
};

}  // namespace

ConversionDriver::ConversionDriver()
{
    // Nothing may stream a project before its types are known.
    registerObjectTypes();
}

ConversionDriver::~ConversionDriver()
{
    closeOutputProject();
    unloadInputProject();
}

const std::vector<ConversionDriver::Step>& ConversionDriver::steps() const
{
    using namespace ConversionSteps;
    // The fixture step holds most of a large show's work, and moves the bar
    // within its share as it goes.
    const unsigned kFixtureStepWeight = 8;
    static const std::vector<Step> sequence {
        {"Converting controllers", &convertControllers},
        {"Converting remote devices", &convertRemoteDevices},
        {"Converting DSX DMX universes", &convertDsxDmxUniverses},
        {"Converting functions", &convertFunctions},
        {"Converting fixtures", &convertFixtures, kFixtureStepWeight},
        {"Merging KiNET power supplies", &mergeKinetPowerSupplies},
        {"Converting groups", &convertGroups},
        {"Converting pixel matrices", &convertPixelMatrices},
        {"Converting custom presets", &convertCustomPresets},
        {"Converting media", &convertMedia},
        {"Converting dynamic text", &convertDynamicText},
        {"Converting timelines", &convertTimelines},
        {"Converting custom web interfaces", &reportCustomWebInterfaces},
        {"Converting DALI interfaces", &convertDaliInterfaces},
        {"Converting DALI scenes", &convertDaliScenes},
        {"Converting timecode buses", &convertTimecodeBuses},
        {"Converting audio buses", &convertAudioBuses},
        {"Converting ethernet sources", &convertEthernetSources},
        {"Converting palettes", &convertScenes},
        {"Converting touch-panel interfaces", &convertInterfaces},
        {"Converting triggers", &convertTriggers},
    };
    return sequence;
}

OnlineFixtureLibrary& ConversionDriver::onlineFixtureLibrary() const
{
    return m_onlineLibrary ? *m_onlineLibrary : OnlineFixtureLibrary::instance();
}

const PaletteTables& ConversionDriver::paletteTables() const
{
    return m_paletteTables ? *m_paletteTables : PaletteTables::shipped();
}

bool ConversionDriver::convert(const QString& path, ProgressTracker& progress)
{
    closeOutputProject();
    m_inputPath = path;
    m_idMaps.clear();
    m_freeFontNumbers.clear();
    m_report.clear();
    m_phaseTimes = PhaseTimes();

    // Loading, creating, initialising, the steps, then the resources.
    std::vector<unsigned> weights(kFixedProgressSteps - 1, 1);
    for (const Step& step : steps())
        weights.push_back(step.weight);
    weights.push_back(1);
    if (expandsFirst(path))
        weights[0] = unsigned(weights.size()) - 1;
    progress.beginWeighted(weights);
    bool converted = false;
    {
        const auto unload = [this] { unloadInputProject(); };
        ScopeExit<decltype(unload)> unloadGuard(unload);
        bool loaded = false;
        {
            PhaseTimer timer(m_phaseTimes.load);
            loaded = loadInputProject(path, progress);
        }
        if (loaded && !stopRequested(progress)) {
            progress.setStep(1);
            converted = runConversion(progress);
        }
    }
    if (!converted)
        closeOutputProject();
    progress.end();
    return converted;
}

bool ConversionDriver::runConversion(ProgressTracker& progress)
{
    try {
        std::optional<PhaseTimer> stepsTimer(std::in_place, m_phaseTimes.steps);
        logMessage(kLogInfo, "Creating the output project");
        createOutputProject();
        progress.setStep(2);

        // Leaving before the commit rolls the transaction back. Objects that
        // look up others (fixtures, groups) do so in the current database.
        Archive::setCurrentDatabase(outputDatabaseId());
        m_report.setDatabase(outputDatabaseId());
        Archive::EditContext transaction(outputDatabaseId());
        initialiseOutputProject();
        const ConversionServices services {FixtureLibrary::instance(),       onlineFixtureLibrary(),
                                           KinetPowerSupplyList::instance(), *VersionedSettings::instance(),
                                           BitmapFontCache::instance(),      paletteTables()};
        ConversionContext context(*Quil::_gpShow, m_idMaps, m_freeFontNumbers, *m_outputProject, outputDatabaseId(),
                                  services, m_report, progress);
        unsigned step = 3;
        for (const Step& conversionStep : steps()) {
            if (stopRequested(progress))
                return false;
            logMessage(kLogInfo, "%s", conversionStep.progressText);
            conversionStep.run(context);
            progress.setStep(step++);
        }
        if (stopRequested(progress))
            return false;
        copyOutputResources();
        progress.setStep(step);
        stepsTimer.reset();
        {
            PhaseTimer commitTimer(m_phaseTimes.commit);
            transaction.commit();
        }
        m_report.logTallies();
        m_report.logSummary();
        return true;
    } catch (const WorkingFolderError& error) {
        // Room or permission in the working folders: the user mends it there.
        logMessage(kLogWarning, "Failed to convert the input project (%s)", error.what());
        logAdvice(workingFolderAdvice(error.dataFolder()));
        return false;
    } catch (const std::exception& error) {
        // The edit context has rolled the transaction back by now.
        logMessage(kLogWarning, "Failed to convert the input project (%s)", exceptionText(error).toUtf8().constData());
        logAdvice(QObject::tr("The show was read, but converting it failed, so no project was made. Keep the show "
                              "and report this message with it."));
        return false;
    }
}

bool ConversionDriver::stopRequested(const ProgressTracker& progress)
{
    if (!progress.isCancelled())
        return false;
    logMessage(kLogInfo, "The conversion was cancelled");
    return true;
}

bool ConversionDriver::loadInputProject(const QString& path, ProgressTracker& progress)
{
    logMessage(kLogInfo, "Loading the input project");
    const QString kind = QFileInfo(path).suffix();
    QString showPath = path;

    const bool isBundle = Quil::Bundler::isBundle(nativePath(path));
    const bool expands = isBundle || Quil::isBundleKind(kind);
    // Expanding, then reading the show: one stage, so that the bar only rises.
    if (expands)
        progress.beginWeighted({kExpandingWeight, 1});
    const auto endStage = [&progress, expands] {
        if (expands)
            progress.end();
    };
    ScopeExit<decltype(endStage)> stageGuard(endStage);

    Quil::ShowLoadResult result;
    if (isBundle) {
        if (!makeTemporaryFolder())
            return false;
        result = expandBundle(path, kind, progress, &showPath);
    } else if (expands) {
        bool isArchive = false;
        if (!extractArchive(path, progress, &isArchive))
            return false;
        // A bundle kind that is no archive may still be a plain show file.
        if (isArchive)
            showPath = Quil::Bundler::findShowFile(m_temporaryFolder, kind);
        if (showPath.isEmpty()) {
            logLoadFailure(QStringLiteral("The bundle holds no show file"));
            logAdvice(noShowFileAdvice(path));
            return false;
        }
    }
    if (result.code == Quil::kShowLoaded) {
        if (expands)
            progress.setStep(1);
        result = Quil::loadShowFile(showPath, kind, m_temporaryFolder, progress);
    }
    if (result.code != Quil::kShowLoaded) {
        // The reader has logged the text of content it could not read.
        if (!result.message.empty() && result.code != Quil::kShowReadFailed)
            logLoadFailure(QString::fromStdString(result.message));
        else
            logMessage(kLogWarning, "Failed to load the input project, result = %u", result.code);
        // After a bundle's expansion the advice is about the show inside.
        const QString bundledShow = isBundle ? Quil::Bundler::findShowFile(m_temporaryFolder, kind) : QString();
        logAdvice(loadFailureAdvice(path, bundledShow.isEmpty() ? showPath : bundledShow, result));
        return false;
    }
    return true;
}

Quil::ShowLoadResult ConversionDriver::expandBundle(const QString& path, const QString& kind, ProgressTracker& progress,
                                                    QString* showPath)
{
    try {
        Quil::Bundler bundler;
        bundler.unbundle(nativePath(path), nativePath(m_temporaryFolder), progress);
    } catch (const std::runtime_error& error) {
        return {Quil::kShowNotOpened, error.what()};
    }
    *showPath = Quil::Bundler::findShowFile(m_temporaryFolder, kind);
    if (showPath->isEmpty())
        return {Quil::kShowNotOpened, "The bundle holds no show file"};
    return {};
}

void ConversionDriver::unloadInputProject()
{
    Quil::destroyShow(true);
    if (!m_temporaryFolder.isEmpty()) {
        removeDirectoryRecursively(m_temporaryFolder, false);
        m_temporaryFolder.clear();
    }
}

bool ConversionDriver::makeTemporaryFolder()
{
    if (!m_temporaryFolder.isEmpty())
        return true;
    QTemporaryDir folder(QFileInfo(QDir::temp(), QStringLiteral("morvant-XXXXXX")).absoluteFilePath());
    if (!folder.isValid()) {
        logLoadFailure(QStringLiteral("Failed to create a temporary folder (%1)").arg(folder.errorString()));
        logAdvice(QObject::tr("The input could not be expanded, as no temporary folder could be made in %1: check "
                              "that the disk has free space, then try again.")
                      .arg(QDir::toNativeSeparators(QDir::tempPath())));
        return false;
    }
    // Removed by unloadInputProject, which never follows links out of it.
    folder.setAutoRemove(false);
    m_temporaryFolder = folder.path();
    return true;
}

bool ConversionDriver::extractArchive(const QString& path, ProgressTracker& progress, bool* isArchive)
{
    *isArchive = false;
    QFile file(path);
    // A file that cannot be read is reported by the show load.
    if (!file.open(QIODevice::ReadOnly))
        return true;
    for (int kind : {int(ArchiveFile::TarGzKind), int(ArchiveFile::ZipKind)}) {
        // The first entry tells the format apart before anything is written.
        QStringList names;
        {
            ArchiveFile probe;
            if (!file.seek(0) || !probe.open(ArchiveFile::ReadMode, &file, kind) || !probe.listEntries(names, 1))
                continue;
        }
        *isArchive = true;
        if (!makeTemporaryFolder())
            return false;
        ArchiveFile archive;
        archive.setProgressTracker(&progress);
        if (!file.seek(0) || !archive.open(ArchiveFile::ReadMode, &file, kind)
            || !archive.extractTo(m_temporaryFolder)) {
            logLoadFailure(archive.errorString().isEmpty() ? file.errorString() : archive.errorString());
            // A refusal by the size bound says itself what it was and what to do.
            if (!archive.exceededSizeLimit())
                logAdvice(archiveFailureAdvice(path));
            return false;
        }
        archive.close();
        return true;
    }
    return true;
}

void ConversionDriver::createOutputProject()
{
    m_outputProject.reset(new OutputProject);
    m_outputProject->create();
}

void ConversionDriver::initialiseOutputProject()
{
    // A show out of a bundle is named by the bundle, never by the temporary
    // folder it was expanded into.
    const ShowBundle bundle = m_temporaryFolder.isEmpty() ? ShowBundle() : ShowBundle {m_inputPath, m_temporaryFolder};
    m_outputProject->initialise(*Quil::_gpShow, m_report, bundle);
}

void ConversionDriver::copyOutputResources() { m_outputProject->copyResources(); }

void ConversionDriver::closeOutputProject()
{
    m_outputProject.reset();
    FixtureLibrary::instance().clearProjectModels();
}

bool ConversionDriver::hasOutputProject() const { return m_outputProject != nullptr; }

Archive::DatabaseId ConversionDriver::outputDatabaseId() const
{
    return m_outputProject ? m_outputProject->databaseId() : Archive::kNoDatabase;
}

QString ConversionDriver::outputFolder() const { return m_outputProject ? m_outputProject->folderPath() : QString(); }

bool ConversionDriver::saveOutputProject(const QString& path, ProgressTracker& progress)
{
    m_saveFailure.clear();
    if (!m_outputProject) {
        logMessage(kLogWarning, "Failed to save the output project (%s)", "there is no converted project");
        m_saveFailure = QObject::tr("There is no converted project to save: convert a show first.");
        logAdvice(m_saveFailure);
        return false;
    }
    logMessage(kLogInfo, "Saving the output project");
    const QByteArray shownPath = QDir::toNativeSeparators(path).toUtf8();
    try {
        const bool saved = m_outputProject->save(path, progress);
        m_phaseTimes.databaseSave = m_outputProject->lastSaveTimes().first;
        m_phaseTimes.pack = m_outputProject->lastSaveTimes().second;
        if (saved) {
            // The file is in place: whatever its folder did after, it is saved.
            const QString note = m_outputProject->saveNote();
            if (note.isEmpty()) {
                logMessage(kLogInfo, "The output project was saved as %s", shownPath.constData());
            } else {
                logMessage(kLogInfo,
                           "The output project was saved as %s; the folder could not be synced (%s), so the file "
                           "may not survive a power cut",
                           shownPath.constData(), note.toUtf8().constData());
            }
            return true;
        }
        // The file chosen, or the packing of the working folder into it.
        const TarvelVistrelProject& project = *m_outputProject->project();
        const int error = project.lastSystemError();
        const QString reason = error != 0 ? systemErrorText(error) : project.lastError();
        logMessage(kLogWarning, "Failed to write the project file %s (%s)", shownPath.constData(),
                   reason.toUtf8().constData());
        m_saveFailure = saveFailureAdvice(path, reason, error);
    } catch (const WorkingFolderError& error) {
        // The working folder, not the target, failed.
        logMessage(kLogWarning, "Failed to save the output project (%s)", error.what());
        m_saveFailure = workingFolderSaveAdvice(error.dataFolder(), error.folder(), error.reason());
    } catch (const std::exception& error) {
        // Neither a folder nor a file: a fault of the program.
        const QString reason = exceptionText(error);
        logMessage(kLogWarning, "Failed to save the output project (%s)", reason.toUtf8().constData());
        m_saveFailure = QObject::tr("The project was not saved, as writing it failed; the file you chose was not "
                                    "touched. Keep the show and report this message with it.");
    }
    logAdvice(m_saveFailure);
    return false;
}
