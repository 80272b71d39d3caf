// Volume checks for the temporary folder, over the mount table (QStorageInfo) and access(2).
#include "settings/TemporaryFolderCheck.h"

#include <QFile>
#include <QStorageInfo>
#include <unistd.h>

bool IsRemoteFileSystemType(const QString& type)
{
    static const char* const kRemote[] = {"nfs",  "nfs4",   "cifs", "smb3", "smbfs", "smb2", "ncpfs",     "afs",
                                          "coda", "9p",     "ceph", "glusterfs", "lustre", "davfs", "fuse.sshfs",
                                          "sshfs", "fuse.davfs2", "fuse.rclone", "fuse.s3fs", "fuse.gvfsd-fuse"};
    const QString t = type.toLower();
    for (const char* remote : kRemote) {
        if (t == QLatin1String(remote))
            return true;
    }
    return false;
}

bool IsLocalVolume(const QString& folder)
{
    const QStorageInfo volume(folder);
    if (!volume.isValid() || !volume.isReady())
        return false;
    return !IsRemoteFileSystemType(QString::fromLatin1(volume.fileSystemType()));
}

bool IsWritableFolder(const QString& folder)
{
    const QStorageInfo volume(folder);
    if (!volume.isValid() || volume.isReadOnly())
        return false;
    return access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

bool IsOnOtherVolume(const QString& folder, const QString& defaultFolder)
{
    const QStorageInfo a(folder);
    const QStorageInfo b(defaultFolder);
    if (!a.isValid() || !b.isValid())
        return true;
    return a.rootPath() != b.rootPath() || a.device() != b.device();
}
