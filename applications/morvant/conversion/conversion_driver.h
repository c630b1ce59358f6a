// ConversionDriver runs one conversion of a version-1 show into a new
// version-2 output project, and saves that project as a kv2 file.
//
// A conversion closes the earlier output project, resets the id maps and the
// report, loads the input (a show file, a version-1 bundle, or a tar or zip
// archive holding a show, expanded into a temporary folder), creates the
// output project, opens one edit transaction, initialises the project, runs
// the conversion steps in their fixed order with one context
// (conversion_context.h), copies the resources met on the way and commits;
// then the report logs its tally per kind and its summary of what arrived
// changed or was not carried over. A step that throws rolls the transaction
// back and fails the conversion. A working folder that cannot be made,
// locked or written (a full or read-only disk) fails it too, told as such:
// the folder, the system's reason and what to do, not a fault to report. The
// loaded show is destroyed and the temporary folder removed in every case.
// Every message goes through the logger: progress and notes at kLogInfo,
// failures at kLogWarning, each failure followed by one line in plain words
// on what happened and what the user can do.
//
// The driver owns the id maps, the free font numbers, the report, the output
// project and the temporary folder between two conversions. The version-1
// show is the one global show of the reader. ShowConverterApp is the driver of the
// running program; tests make their own.
//
// GUI thread only: the progress tracker lets the event loop run, so the
// caller must keep the user from starting another operation meanwhile.
#ifndef APPLICATIONS_MORVANT_CONVERSION_CONVERSION_DRIVER_H
#define APPLICATIONS_MORVANT_CONVERSION_CONVERSION_DRIVER_H

#include "applications/morvant/conversion/conversion_report.h"
#include "applications/morvant/conversion/id_maps.h"
#include "components/archive/object_base.h"
#include "components/quilshow/show/show_base.h"

#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

class OnlineFixtureLibrary;
class OutputProject;
struct ConversionContext;
struct PaletteTables;
class ProgressTracker;

class ConversionDriver
{
public:
    // The stage the conversion reports its progress in has one step for each
    // conversion step and these: loading, creating the project, initialising
    // it, and copying the resources with the commit.
    static constexpr unsigned kFixedProgressSteps = 4;

    ConversionDriver();
    virtual ~ConversionDriver();

    ConversionDriver(const ConversionDriver&) = delete;
    ConversionDriver& operator=(const ConversionDriver&) = delete;

    // Converts the show at path into a new output project; false when the
    // conversion failed (the reasons are logged, and no output project is
    // left). Setting the tracker's cancel flag stops it at the next step
    // boundary, as a failure.
    virtual bool convert(const QString& path, ProgressTracker& progress);
    // Writes the output project as one kv2 file at path, replacing an
    // existing file only once the new one is complete; false (reason
    // logged) when there is no output project or the save failed. True once
    // the file is in place: a folder that could not be synced then is a note
    // on the line that tells the save.
    virtual bool saveOutputProject(const QString& path, ProgressTracker& progress);
    // Plain words on why the last save failed, naming the file or folder and the
    // system's reason; empty when it did not fail.
    QString saveFailure() const { return m_saveFailure; }
    virtual bool hasOutputProject() const;
    // Drops the output project, its database, the resources it met and the
    // fixture library's project models.
    void closeOutputProject();

    // Seconds the last conversion and save spent in each phase; a phase that
    // did not run (or failed early) counts what it took until it stopped.
    struct PhaseTimes
    {
        double load = 0;
        double steps = 0;  // creating and initialising the project, the steps and the resources
        double commit = 0;
        double databaseSave = 0;
        double pack = 0;
    };
    const PhaseTimes& phaseTimes() const { return m_phaseTimes; }

    const IdMaps& idMaps() const { return m_idMaps; }
    // What the last conversion carried over and what it did not.
    const ConversionReport& report() const { return m_report; }
    // The online library that fixture types missing from the fixture library
    // are fetched from: the program's own unless one is set (not owned;
    // null goes back to the program's).
    void setOnlineFixtureLibrary(OnlineFixtureLibrary* online) { m_onlineLibrary = online; }
    OnlineFixtureLibrary& onlineFixtureLibrary() const;
    // The tables palette values are converted with: the shipped ones unless
    // others are set (not owned; null goes back to the shipped ones).
    void setPaletteTables(const PaletteTables* tables) { m_paletteTables = tables; }
    const PaletteTables& paletteTables() const;
    // The output project's database, Archive::kNoDatabase when there is none.
    Archive::DatabaseId outputDatabaseId() const;
    // The working folder of the output project; empty when there is none.
    QString outputFolder() const;

protected:
    // One conversion step: a progress line, the work, which runs inside the
    // output project's edit transaction and may throw, and its share of the
    // bar against the other steps'.
    struct Step
    {
        const char* progressText;
        std::function<void(ConversionContext& context)> run;
        unsigned weight = 1;
    };
    // The steps in the order they run, one per kind of item. A subclass may
    // run its own (tests do).
    virtual const std::vector<Step>& steps() const;

    // Loads the input into the global show, expanding a bundle or archive
    // into the temporary folder first; false (reason logged) on failure.
    bool loadInputProject(const QString& path, ProgressTracker& progress);
    // Destroys the global show and removes the temporary folder.
    void unloadInputProject();
    // These throw on failure.
    void createOutputProject();
    void initialiseOutputProject();
    void copyOutputResources();

    IdMaps m_idMaps;
    FreeFontNumbers m_freeFontNumbers;
    ConversionReport m_report;

private:
    // True, and logged, once the user asked the conversion to stop.
    static bool stopRequested(const ProgressTracker& progress);
    // Expands the version-1 bundle at path into the temporary folder and
    // finds its show file; the result says why that failed.
    Quil::ShowLoadResult expandBundle(const QString& path, const QString& kind, ProgressTracker& progress,
                                      QString* showPath);
    bool makeTemporaryFolder();
    bool extractArchive(const QString& path, ProgressTracker& progress, bool* isArchive);
    bool runConversion(ProgressTracker& progress);

    std::unique_ptr<OutputProject> m_outputProject;
    // The show or bundle being converted.
    QString m_inputPath;
    QString m_temporaryFolder;
    QString m_saveFailure;
    PhaseTimes m_phaseTimes;
    OnlineFixtureLibrary* m_onlineLibrary = nullptr;
    const PaletteTables* m_paletteTables = nullptr;
};

#endif  // APPLICATIONS_MORVANT_CONVERSION_CONVERSION_DRIVER_H
