// OutputProject is the version-2 project a conversion builds: a
// TarvelVistrelProject in a new, locked working folder, with its object
// database in the folder "archive.tarv" (autosave off), saved as one kv2
// file on request.
//
// It owns the project (and through it the working folder and its lock) and
// the database; destroying it resets and closes the database, leaves no
// database current, forgets the resources met and removes the working
// folder. GUI thread only.
#ifndef APPLICATIONS_MORVANT_CONVERSION_OUTPUT_PROJECT_H
#define APPLICATIONS_MORVANT_CONVERSION_OUTPUT_PROJECT_H

#include "components/archive/object_base.h"
#include "components/lx_objects/dali/dali_test_schedule.h"

#include <QString>

#include <memory>
#include <stdexcept>
#include <utility>

class ConversionReport;
class ProgressTracker;
struct ShowBundle;
class QuilShow;
class TarvelVistrelProject;

namespace Quil {
struct DaliTestSchedule;
}

// The converter could not write into the working folder it keeps below
// dataFolder, for want of room or of permission, or the folder is gone: a
// failure the user mends there, not a fault of the show or of the program.
// what() says what failed, with the system's reason. A save's failure also
// names the working folder and the reason in words, or says it is gone.
class WorkingFolderError : public std::runtime_error
{
public:
    WorkingFolderError(const QString& message, const QString& dataFolder);
    // During a save: the working folder and why it could not take the
    // project; a null reason says that it is gone.
    WorkingFolderError(const QString& message, const QString& dataFolder, const QString& folder, const QString& reason);
    // The folder that holds the working folders.
    QString dataFolder() const { return m_dataFolder; }
    // The working folder that failed a save; empty for other failures.
    QString folder() const { return m_folder; }
    QString reason() const { return m_reason; }

private:
    QString m_dataFolder;
    QString m_folder;
    QString m_reason;
};

class OutputProject
{
public:
    // The resource categories a converted project uses.
    static constexpr quint32 kResourceMask = 0x0E;
    // Where the project-wide objects live in array 0.
    static constexpr Archive::ObjectId kProjectPropertiesId = 0;
    static constexpr Archive::ObjectId kGuiFeaturesId = 2;
    static constexpr Archive::ObjectId kTimecodeBusesId = 3;
    static constexpr Archive::ObjectId kAudioBusesId = 4;
    static constexpr Archive::ObjectId kEthernetSourcesId = 5;
    static constexpr Archive::ObjectId kWebInterfacePropertiesId = 6;
    static constexpr Archive::ObjectId kTriggerDirectoryId = 7;
    static constexpr Archive::ObjectId kDaliSceneDirectoryId = 8;
    static constexpr Archive::ObjectId kDaliProjectPropertiesId = 9;
    static constexpr Archive::ObjectId kCustomPropertiesId = 10;
    static constexpr Archive::ObjectId kTextSlotValuesId = 11;
    // The folders of array 28 that converted items are filed in.
    static constexpr Archive::ObjectId kCustomPresetFolderId = 0;
    static constexpr Archive::ObjectId kMediaClipFolderId = 1;
    static constexpr Archive::ObjectId kSceneFolderId = 2;
    // The view states of array 35.
    static constexpr Archive::ObjectId kColourDataStateId = 0;
    static constexpr Archive::ObjectId kLayoutManagerStateId = 2;
    // The custom property of fixtures (array 2) that holds their comment.
    static const char* const kFixtureCommentProperty;

    OutputProject();
    ~OutputProject();

    OutputProject(const OutputProject&) = delete;
    OutputProject& operator=(const OutputProject&) = delete;

    // Makes the working folder and the empty database; throws
    // WorkingFolderError when the folder cannot be made or locked, or the
    // database's error.
    void create();
    // Adds the project-wide objects, filled from the show's settings, DALI
    // test settings and number formats; runs inside the caller's edit
    // transaction and throws what the database throws. The show's texts and
    // the plan's image are counted in report, or reported as not carried
    // over; bundle is where a show out of a bundle came from.
    void initialise(const QuilShow& show, ConversionReport& report, const ShowBundle& bundle);
    // Copies the files met during the conversion into the working folder;
    // throws WorkingFolderError when one cannot be copied.
    void copyResources();
    // Writes the database and packs the project into path, atomically:
    // false when packing fails (project()->lastError() and lastSystemError()
    // say why); WorkingFolderError when the working folder is gone or a file
    // of the database cannot be written into it; the database's own error
    // for anything else. An existing file is untouched by a failure. True
    // once the file is in place; saveNote() then says why its folder could
    // not be synced, if it could not.
    bool save(const QString& path, ProgressTracker& progress);
    QString saveNote() const;
    // Seconds the last save spent writing the database and packing the file.
    std::pair<double, double> lastSaveTimes() const { return m_saveTimes; }

    Archive::DatabaseId databaseId() const;
    QString folderPath() const;
    TarvelVistrelProject* project() const { return m_project.get(); }

private:
    void close();

    std::unique_ptr<TarvelVistrelProject> m_project;
    std::pair<double, double> m_saveTimes;
};

// A version-1 DALI test schedule in the version-2 form, with what became of
// it: a month week outside 0-6 becomes 0; a day mode other than 0 and 1
// leaves the default schedule, with the two leading bytes copied.
struct ScheduleConversion
{
    DaliTestSchedule schedule;
    bool monthWeekKept = true;
    bool defaulted = false;
};
ScheduleConversion convertDaliTestSchedule(const Quil::DaliTestSchedule& schedule);

// Minutes east of UTC from the version-1 quarter hours; beyond a day either
// way the offset becomes 0 and *kept false.
qint16 convertTimeZoneOffset(qint16 quarterHours, bool* kept);

#endif  // APPLICATIONS_MORVANT_CONVERSION_OUTPUT_PROJECT_H
