// OutputProject is the version-2 project a conversion builds: a
// TarvelVistrelProject in a new, locked working folder, with its object
// database in the folder "archive.tarv" (autosave off), saved as one kv2
// file on request.
//
// It owns the project (and through it the working folder and its lock) and
// the database; destroying it resets and closes the database, leaves no
// database current, forgets the resources met and removes the working
// folder. GUI thread only.
#ifndef APPLICATIONS_MORVANT_OUTPUT_PROJECT_H
#define APPLICATIONS_MORVANT_OUTPUT_PROJECT_H

#include "components/archive/object_base.h"

#include <QString>

#include <memory>

class ProgressTracker;
class TarvelVistrelProject;

class OutputProject
{
public:
    // The resource categories a converted project uses.
    static constexpr quint32 kResourceMask = 0x0E;
    // Where the numbered directories live in array 0.
    static constexpr Archive::ObjectId kTriggerDirectoryId = 7;
    static constexpr Archive::ObjectId kDaliSceneDirectoryId = 8;

    OutputProject();
    ~OutputProject();

    OutputProject(const OutputProject&) = delete;
    OutputProject& operator=(const OutputProject&) = delete;

    // Makes the working folder and the empty database; throws
    // std::runtime_error (or the database's error) on failure.
    void create();
    // Adds the project-wide objects; runs inside the caller's edit
    // transaction and throws what the database throws.
    void initialise();
    // Copies the files met during the conversion into the working folder.
    void copyResources();
    // Writes the database and packs the project into path, atomically:
    // false (reason logged) when packing fails, and the database's error
    // thrown when writing it fails; an existing file is untouched either way.
    bool save(const QString& path, ProgressTracker& progress);

    Archive::DatabaseId databaseId() const;
    QString folderPath() const;
    TarvelVistrelProject* project() const { return m_project.get(); }

private:
    void close();

    std::unique_ptr<TarvelVistrelProject> m_project;
};

#endif  // APPLICATIONS_MORVANT_OUTPUT_PROJECT_H
