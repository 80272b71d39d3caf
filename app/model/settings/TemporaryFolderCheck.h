// Whether a folder may hold the temporary files: on a local, writable volume, and
// whether it lies on another volume than the default folder.
#pragma once

#include <QString>

// False for network and remote file systems (NFS, SMB/CIFS, SSHFS and the like), and
// when the volume cannot be queried.
bool IsLocalVolume(const QString& folder);
// False when the volume is mounted read-only or the folder itself is not writable.
bool IsWritableFolder(const QString& folder);
// True when the two folders are on different volumes (other mount point or device),
// or when either volume cannot be queried.
bool IsOnOtherVolume(const QString& folder, const QString& defaultFolder);
// Local file-system type names are anything not in the list of remote ones.
bool IsRemoteFileSystemType(const QString& type);
