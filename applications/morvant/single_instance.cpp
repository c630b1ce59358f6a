#include "applications/morvant/single_instance.h"

#include <QDir>
#include <QLockFile>

SingleInstanceLock::SingleInstanceLock(const QString& name)
    : m_path(QDir::temp().filePath(name + QStringLiteral(".lock"))), m_lock(new QLockFile(m_path))
{
    // The lock is meant to last as long as the process, however long that is.
    m_lock->setStaleLockTime(0);
}

SingleInstanceLock::~SingleInstanceLock() = default;

bool SingleInstanceLock::acquire() { return m_lock->isLocked() || m_lock->tryLock(0); }

void SingleInstanceLock::release() { m_lock->unlock(); }

bool SingleInstanceLock::isHeld() const { return m_lock->isLocked(); }
