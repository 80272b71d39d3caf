// Free space and file-system type of a volume, from statvfs and statfs.
//
// FAT versus FAT32 is decided from statfs alone: Linux's vfat driver reports
// the data cluster count as f_blocks (with the cluster size as f_bsize), so
// no access to the block device is needed, which an ordinary user does not
// have. The rule is the FAT one: 65525 clusters or more is FAT32.
#include "platform/DiskHelpers.h"

#include "platform/FileSystemName.h"

#include <cstring>
#include <string>
#include <sys/statfs.h>
#include <sys/statvfs.h>

bool GetDiskFreeSpace(const char* path, uint32_t* /*sectorsPerCluster*/, uint32_t* /*bytesPerSector*/,
                      uint64_t* /*freeClusters*/, uint64_t* totalClusters)
{
    struct statvfs info {};
    if (path == nullptr || statvfs(path, &info) != 0) {
        return false;
    }
    if (totalClusters != nullptr) {
        *totalClusters = static_cast<uint64_t>(info.f_blocks);
    }
    return true;
}

bool GetDiskFreeSpaceEx(const char* path, uint64_t* freeBytesAvailable, uint64_t* totalBytes,
                        uint64_t* totalFreeBytes)
{
    struct statvfs info {};
    if (path == nullptr || statvfs(path, &info) != 0) {
        return false;
    }
    const uint64_t fragment = info.f_frsize;
    if (freeBytesAvailable != nullptr) {
        *freeBytesAvailable = static_cast<uint64_t>(info.f_bavail) * fragment;
    }
    if (totalBytes != nullptr) {
        *totalBytes = static_cast<uint64_t>(info.f_blocks) * fragment;
    }
    if (totalFreeBytes != nullptr) {
        *totalFreeBytes = static_cast<uint64_t>(info.f_bfree) * fragment;
    }
    return true;
}

bool GetVolumeInformation(const char* path, char* /*volumeName*/, size_t /*volumeNameSize*/,
                          uint32_t* /*serialNumber*/, uint32_t* /*maxComponentLength*/,
                          uint32_t* /*fileSystemFlags*/, char* fileSystemName, size_t fileSystemNameSize)
{
    struct statfs info {};
    if (path == nullptr || statfs(path, &info) != 0) {
        return false;
    }
    const auto magic = static_cast<uint64_t>(static_cast<unsigned long>(info.f_type)) & 0xffffffffu;
    std::string name = FileSystemNameFromMagic(magic, static_cast<uint64_t>(info.f_blocks));
    if (name.empty()) {
        name = FileSystemNameFromMountTable(path);
    }
    if (fileSystemName != nullptr && name.size() + 1 <= fileSystemNameSize) {
        std::memcpy(fileSystemName, name.c_str(), name.size() + 1);
    }
    return true;
}
