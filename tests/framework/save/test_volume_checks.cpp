// File-system size limits and free-space checks through injected volume queries.
#include "save/SaveVolumeChecks.h"

#include <gtest/gtest.h>

namespace {

SaveVolumeQueries Volume(const std::string& name, uint64_t clusters = 100000, uint64_t freeBytes = UINT64_MAX) {
    SaveVolumeQueries q;
    q.fileSystemName = [name](const std::string&, std::string& out) {
        out = name;
        return true;
    };
    q.totalClusters = [clusters](const std::string&, uint64_t& out) {
        out = clusters;
        return true;
    };
    q.freeBytesAvailable = [freeBytes](const std::string&, uint64_t& out) {
        out = freeBytes;
        return true;
    };
    return q;
}

} // namespace

TEST(SaveVolumeChecks, LimitTableByFileSystemName) {
    const std::string path = "/music/Album/01.wav";
    // FAT32 stores sizes in 32 bits: 4 GiB - 1 is the largest file.
    EXPECT_TRUE(FitsFileSystem(Volume("FAT32"), path, 4294967295ull));
    EXPECT_FALSE(FitsFileSystem(Volume("FAT32"), path, 4294967296ull));
    EXPECT_TRUE(FitsFileSystem(Volume("FAT", 4084), path, 33554432));
    EXPECT_FALSE(FitsFileSystem(Volume("FAT", 4084), path, 33554433));
    EXPECT_TRUE(FitsFileSystem(Volume("FAT", 4085), path, 2147483648ull));
    EXPECT_FALSE(FitsFileSystem(Volume("FAT", 4085), path, 2147483649ull));
    EXPECT_FALSE(FitsFileSystem(Volume("hfs"), path, 2147483649ull));
    EXPECT_TRUE(FitsFileSystem(Volume("ufs"), path, 4294967296ull));
    EXPECT_FALSE(FitsFileSystem(Volume("ufs"), path, 4294967297ull));
    for (const char* unlimited : {"hfs plus", "hfs journaled", "hfs case-sensitive",
                                  "hfs case-sensitive, journaled", "ext4", "FAT32 "}) {
        EXPECT_TRUE(FitsFileSystem(Volume(unlimited), path, 1ull << 40)) << unlimited;
    }
}

TEST(SaveVolumeChecks, FailedQueriesAndPathsWithoutFolderFail) {
    SaveVolumeQueries failing = Volume("ext4");
    failing.fileSystemName = [](const std::string&, std::string&) { return false; };
    failing.freeBytesAvailable = [](const std::string&, uint64_t&) { return false; };
    EXPECT_FALSE(FitsFileSystem(failing, "/a/b.wav", 1));
    EXPECT_FALSE(HasDiskSpace(failing, "/a/b.wav", 1));

    SaveVolumeQueries fatWithoutClusters = Volume("FAT");
    fatWithoutClusters.totalClusters = [](const std::string&, uint64_t&) { return false; };
    EXPECT_FALSE(FitsFileSystem(fatWithoutClusters, "/a/b.wav", 1));

    EXPECT_FALSE(FitsFileSystem(Volume("ext4"), "b.wav", 1));
    EXPECT_FALSE(HasDiskSpace(Volume("ext4"), "b.wav", 1));
}

TEST(SaveVolumeChecks, DiskSpaceComparesWithAvailableBytesOfTheFolder) {
    std::string asked;
    SaveVolumeQueries q = Volume("ext4", 0, 1000);
    q.freeBytesAvailable = [&asked](const std::string& dir, uint64_t& out) {
        asked = dir;
        out = 1000;
        return true;
    };
    EXPECT_TRUE(HasDiskSpace(q, "/x/y/z.wav", 1000));
    EXPECT_EQ(asked, "/x/y/");
    EXPECT_FALSE(HasDiskSpace(q, "/x/y/z.wav", 1001));
}

TEST(SaveVolumeChecks, SystemQueriesReadARealFolder) {
    const SaveVolumeQueries q = SaveVolumeQueries::System();
    EXPECT_TRUE(HasDiskSpace(q, "/tmp/file.wav", 1));
    std::string name;
    EXPECT_TRUE(q.fileSystemName("/tmp/", name));
    EXPECT_FALSE(name.empty());
}
