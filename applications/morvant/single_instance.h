// SingleInstanceLock marks that one instance of the program runs: a lock
// file in the system's temporary folder, named by the program's key and a
// fixed GUID, taken at start and held until released or the object is
// destroyed (main keeps it until its event loop has ended). Like the named
// mutex it stands in for, it does not stop a second instance; whoever needs
// to know can test it. A lock left behind by a crashed instance is taken
// over.
//
// One thread (main's) uses an object.
#ifndef APPLICATIONS_MORVANT_SINGLE_INSTANCE_H
#define APPLICATIONS_MORVANT_SINGLE_INSTANCE_H

#include <QString>

#include <memory>

class QLockFile;

class SingleInstanceLock
{
public:
    // name: the key followed by the GUID; it is used as a file name.
    explicit SingleInstanceLock(const QString& name);
    ~SingleInstanceLock();

    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True when this object holds the lock now; false when another live
    // process holds it or the file cannot be made.
    bool acquire();
    // Removes the lock file when this object holds it; acquire() takes it again.
    void release();
    bool isHeld() const;
    QString filePath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

#endif  // APPLICATIONS_MORVANT_SINGLE_INSTANCE_H
