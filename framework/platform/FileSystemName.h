// Names of file-system types as the save thread compares them, derived from
// the statfs magic number (and, for FAT, the cluster count).
#pragma once

#include <cstdint>
#include <string>

// FAT volumes with at least this many clusters are FAT32.
constexpr uint64_t kFat32MinClusters = 65525;

// Name for a statfs magic number: "FAT" or "FAT32" for vfat (by clusterCount),
// "hfs plus" for HFS+, "ufs", "ext4", "btrfs", "exfat", "tmpfs", "xfs",
// "ntfs" and other usual names. Empty when the magic number is not known.
std::string FileSystemNameFromMagic(uint64_t magic, uint64_t clusterCount);

// The type name that the mount table gives for the mount holding path,
// at most 15 characters; empty when none is found.
std::string FileSystemNameFromMountTable(const char* path);
