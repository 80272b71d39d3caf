// statfs magic numbers mapped to file-system names, with the mount table as
// the fallback for types the table below does not know.
#include "platform/FileSystemName.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <mntent.h>

namespace {

struct MagicName {
    uint64_t magic;
    const char* name;
};

constexpr uint64_t kMsdosMagic = 0x4d44;

// Magic numbers as Linux reports them in statfs::f_type.
constexpr MagicName kMagicNames[] = {
    {0x482b, "hfs plus"},       // HFS+ and HFSX
    {0x4244, "hfs"},            // classic HFS
    {0x00011954, "ufs"},
    {0xef53, "ext4"},           // ext2, ext3 and ext4 share one magic number
    {0x9123683e, "btrfs"},
    {0x2011bab0, "exfat"},
    {0x01021994, "tmpfs"},
    {0x58465342, "xfs"},
    {0x5346544e, "ntfs"},       // ntfs driver
    {0x7366746e, "ntfs"},       // ntfs3 driver
    {0xf2f52010, "f2fs"},
    {0x3153464a, "jfs"},
    {0x52654973, "reiserfs"},
    {0x2fc12fc1, "zfs"},
    {0x6969, "nfs"},
    {0xff534d42, "cifs"},
    {0xfe534d42, "smb2"},
    {0x794c7630, "overlay"},
    {0x9660, "iso9660"},
    {0x15013346, "udf"},
    {0x73717368, "squashfs"},
    {0x858458f6, "ramfs"},
};

} // namespace

std::string FileSystemNameFromMagic(uint64_t magic, uint64_t clusterCount)
{
    if (magic == kMsdosMagic) {
        return clusterCount >= kFat32MinClusters ? "FAT32" : "FAT";
    }
    for (const MagicName& entry : kMagicNames) {
        if (entry.magic == magic) {
            return entry.name;
        }
    }
    return std::string();
}

std::string FileSystemNameFromMountTable(const char* path)
{
    if (path == nullptr) {
        return std::string();
    }
    char resolved[PATH_MAX];
    if (realpath(path, resolved) == nullptr) {
        return std::string();
    }
    FILE* table = setmntent("/proc/self/mounts", "r");
    if (table == nullptr) {
        return std::string();
    }
    const size_t pathLength = std::strlen(resolved);
    std::string best;
    size_t bestLength = 0;
    bool found = false;
    mntent entry {};
    char buffer[4096];
    while (getmntent_r(table, &entry, buffer, sizeof buffer) != nullptr) {
        const size_t length = std::strlen(entry.mnt_dir);
        const bool isPrefix = std::strncmp(resolved, entry.mnt_dir, length) == 0
            && (length == 1 || resolved[length] == '/' || length == pathLength);
        // Later entries mounted over the same directory hide earlier ones.
        if (isPrefix && (!found || length >= bestLength)) {
            best = entry.mnt_type;
            bestLength = length;
            found = true;
        }
    }
    endmntent(table);
    return best.substr(0, 15);
}
