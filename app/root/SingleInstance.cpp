// Single-instance lock.
#include "root/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

QString SingleInstance::LockPath(const QString& lockName)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(lockName);
}

SingleInstance::SingleInstance(const QString& lockName)
    : m_lock(std::make_unique<QLockFile>(LockPath(lockName)))
{
    m_lock->setStaleLockTime(0); // only a dead owner makes a lock stale
    m_held = m_lock->tryLock(0);
}
