// One running Sillaro per user: a lock file in the user's runtime folder, held for the
// life of the process. A stale lock of a crashed process is taken over.
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

class SingleInstance {
public:
    // lockName: file name inside the runtime folder.
    explicit SingleInstance(const QString& lockName);
    // True when this process is the only instance (the lock is held).
    bool isFirst() const { return m_held; }

    static QString LockPath(const QString& lockName);

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
};
