// Free space and file-system type of the volume that holds a path, in the
// shapes of the Windows functions the save thread was written against.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes only totalClusters (the file system's total block count).
// False when path is null or the query fails.
bool GetDiskFreeSpace(const char* path, uint32_t* sectorsPerCluster, uint32_t* bytesPerSector,
                      uint64_t* freeClusters, uint64_t* totalClusters);

// available = available blocks x fragment size, total = blocks x fragment size,
// totalFree = free blocks x fragment size; each output optional.
// False when path is null or the query fails.
bool GetDiskFreeSpaceEx(const char* path, uint64_t* freeBytesAvailable, uint64_t* totalBytes,
                        uint64_t* totalFreeBytes);

// Writes the file-system type name of the volume holding path into
// fileSystemName ("FAT", "FAT32", "hfs plus", "ext4", ...) when the buffer
// holds the whole name and its terminating zero; otherwise writes nothing.
// The other outputs are not filled. True whenever the query succeeded.
bool GetVolumeInformation(const char* path, char* volumeName, size_t volumeNameSize,
                          uint32_t* serialNumber, uint32_t* maxComponentLength,
                          uint32_t* fileSystemFlags, char* fileSystemName, size_t fileSystemNameSize);
