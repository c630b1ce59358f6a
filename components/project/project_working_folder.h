// ProjectWorkingFolder owns the private, unpacked form of a project on the
// local disk: a folder below projectsFolder() that holds the project's
// database folder and resources until the project is packed into one file.
//
// create() picks the folder name from the project identity and file path,
// sweeps abandoned folders of earlier runs (keeping the most recently
// modified ones), makes the folder and locks it against other processes with
// a QLockFile on "<folder>/.lock". The lock is held for the life of the
// object. On destruction the folder is moved to the name of a new file path
// set with setFilePath(), or removed unless keepFolder was asked for.
// removeAbandonedFolders() removes every folder no running process holds, as
// a program that keeps no folder between runs does at its start.
//
// Derived project classes supply the identity, the parent folder, the file
// header and the save; saveToFile() writes both into one file. An object is
// used from one thread at a time (the GUI thread in this program); the lock
// only guards against other processes.

#ifndef PROJECT_PROJECT_WORKING_FOLDER_H
#define PROJECT_PROJECT_WORKING_FOLDER_H

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <memory>

class QIODevice;
class QLockFile;
class ProgressTracker;

class ProjectWorkingFolder
{
public:
    // How long create() waits for a folder that another live process holds.
    static constexpr int kLockWaitMs = 1000;

    ProjectWorkingFolder(bool keepFolder, quint32 keptFolderLimit);
    virtual ~ProjectWorkingFolder();

    ProjectWorkingFolder(const ProjectWorkingFolder&) = delete;
    ProjectWorkingFolder& operator=(const ProjectWorkingFolder&) = delete;

    // Remembers the project's new file; the folder follows it on destruction.
    virtual void setFilePath(const QString& path);
    virtual QUuid projectUuid() const = 0;
    // Parent of all working folders; empty when there is nowhere to put them.
    virtual QString projectsFolder() const = 0;
    // When the content of an abandoned working folder last changed; a null
    // time marks a folder that the sweep always removes.
    virtual QDateTime lastModified(const QString& folder) const;
    // 0 when the cached data in folder is gone, 1 (with *error set) otherwise.
    virtual int clearCachedData(const QString& folder, QString* error);
    virtual bool queryBreakLock();
    virtual bool writeHeader(QIODevice* device);
    virtual int readHeader(QIODevice* device, QString* error);
    virtual bool upgradeFolder(const QString& folder);
    virtual bool save(QIODevice* device, quint64* counter, ProgressTracker* progress);

    // Makes and locks the working folder for a project; false with
    // lastError() set, naming the folder and the system's reason, when that
    // fails.
    bool create(const QUuid& uuid, const QString& filePath);

    // Writes the header and the packed project atomically to path (through
    // AtomicFile): an existing file is replaced only when every byte was
    // written, synced and the file closed. False with lastError() set,
    // with the system's reason, otherwise. True once the file is in place;
    // saveNote() then says why its folder could not be synced, if it could
    // not.
    bool saveToFile(const QString& path, ProgressTracker* progress);

    // Removes the working folders in parent that no running process holds
    // locked: those of runs that ended without removing theirs.
    static void removeAbandonedFolders(const QString& parent);

    QString lastError() const { return m_lastError; }
    // The errno of the last failed saveToFile() when the file at its path
    // failed (it could not be made, written, synced, closed or renamed); 0
    // when something else did (the packing, a cancel).
    int lastSystemError() const { return m_lastSystemError; }
    // After a successful saveToFile(): empty, or the system's reason why the
    // file's folder could not be synced, so that the file may not survive a
    // power cut.
    QString saveNote() const { return m_saveNote; }
    QString folderPath() const { return m_folderPath; }
    QString filePath() const { return m_filePath; }

    // "{uuid}" for an unsaved project, else "{uuid}-<md5 of the path>", the
    // path taken with '/' for every '\' so both spellings find one folder.
    static QString folderNameFor(const QString& filePath, const QUuid& uuid);

protected:
    void setLastError(const QString& error) { m_lastError = error; }

private:
    QString parentFolder() const;
    void removeStaleFolders(const QString& parent) const;
    bool createAndLock(const QString& path);

    QString m_lastError;
    int m_lastSystemError = 0;
    QString m_saveNote;
    quint32 m_keptFolderLimit;
    bool m_keepFolder;
    QString m_filePath;
    QString m_folderPath;
    QString m_renameTo;
    std::unique_ptr<QLockFile> m_lock;
};

#endif  // PROJECT_PROJECT_WORKING_FOLDER_H
