// Disk helpers: free space, and the file-system names the save thread
// compares, from the pure mapping and from real volumes.
#include "platform/DiskHelpers.h"
#include "platform/FileSystemName.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

TEST(FileSystemName, MapsMagicNumbers)
{
    const struct {
        uint64_t magic;
        uint64_t clusters;
        const char* name;
    } cases[] = {
        {0x4d44, 0, "FAT"},
        {0x4d44, 4084, "FAT"},
        {0x4d44, 65524, "FAT"},
        {0x4d44, 65525, "FAT32"},
        {0x4d44, 1u << 24, "FAT32"},
        {0x482b, 0, "hfs plus"},
        {0x00011954, 0, "ufs"},
        {0xef53, 0, "ext4"},
        {0x9123683e, 0, "btrfs"},
        {0x2011bab0, 0, "exfat"},
        {0x01021994, 0, "tmpfs"},
        {0x58465342, 0, "xfs"},
        {0x5346544e, 0, "ntfs"},
        {0x7366746e, 0, "ntfs"},
        {0x12345678, 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileSystemNameFromMagic(c.magic, c.clusters), c.name) << std::hex << c.magic;
    }
}

TEST(DiskHelpers, NullAndMissingPathsFail)
{
    uint64_t total = 7;
    char name[32] = "untouched";
    EXPECT_FALSE(GetDiskFreeSpace(nullptr, nullptr, nullptr, nullptr, &total));
    EXPECT_FALSE(GetDiskFreeSpaceEx("/no/such/path", nullptr, &total, nullptr));
    EXPECT_EQ(total, 7u);
    EXPECT_FALSE(GetVolumeInformation(nullptr, nullptr, 0, nullptr, nullptr, nullptr, name, sizeof name));
    EXPECT_FALSE(GetVolumeInformation("/no/such/path", nullptr, 0, nullptr, nullptr, nullptr, name, sizeof name));
    EXPECT_STREQ(name, "untouched");
}

TEST(DiskHelpers, FreeSpaceOfTheTemporaryFolder)
{
    struct statvfs info {};
    ASSERT_EQ(statvfs("/tmp", &info), 0);
    uint64_t available = 0, total = 0, free = 0, clusters = 0;
    ASSERT_TRUE(GetDiskFreeSpaceEx("/tmp", &available, &total, &free));
    EXPECT_EQ(total, uint64_t(info.f_blocks) * info.f_frsize);
    EXPECT_GT(total, 0u);
    EXPECT_LE(available, free);
    EXPECT_LE(free, total);
    EXPECT_TRUE(GetDiskFreeSpaceEx("/tmp", nullptr, nullptr, nullptr));
    ASSERT_TRUE(GetDiskFreeSpace("/tmp", nullptr, nullptr, nullptr, &clusters));
    EXPECT_EQ(clusters, uint64_t(info.f_blocks));
}

TEST(DiskHelpers, VolumeNameOfRealVolumesAndBufferSizes)
{
    // /dev/shm is tmpfs on Linux; the source tree is on whatever disk holds it.
    char name[32] = "";
    if (GetVolumeInformation("/dev/shm", nullptr, 0, nullptr, nullptr, nullptr, name, sizeof name)) {
        struct statfs info {};
        ASSERT_EQ(statfs("/dev/shm", &info), 0);
        if (static_cast<uint64_t>(info.f_type) == 0x01021994) {
            EXPECT_STREQ(name, "tmpfs");
            char exact[6] = "xxxxx";
            EXPECT_TRUE(GetVolumeInformation("/dev/shm", nullptr, 0, nullptr, nullptr, nullptr, exact, 6));
            EXPECT_STREQ(exact, "tmpfs");
            char tooSmall[5] = "xxxx";
            EXPECT_TRUE(GetVolumeInformation("/dev/shm", nullptr, 0, nullptr, nullptr, nullptr, tooSmall, 5));
            EXPECT_STREQ(tooSmall, "xxxx");
        }
    }
    char source[32] = "";
    ASSERT_TRUE(GetVolumeInformation(CARTOVA_SOURCE_DIR, nullptr, 0, nullptr, nullptr, nullptr, source, sizeof source));
    EXPECT_GT(std::strlen(source), 0u);
    EXPECT_TRUE(GetVolumeInformation(CARTOVA_SOURCE_DIR, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
}

namespace {

// Formats an image file as vfat and loop-mounts it; skips when the machine
// does not allow it (no root, no loop devices, no mkfs.vfat).
class VfatImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/cartova-vfat-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        m_dir = dir;
        m_mount = m_dir + "/mnt";
        ASSERT_EQ(mkdir(m_mount.c_str(), 0755), 0);
    }
    void TearDown() override
    {
        if (m_mounted) {
            umount(m_mount.c_str());
        }
        std::system(("rm -rf '" + m_dir + "'").c_str());
    }
    bool MountImage(const std::string& sizeMb, const std::string& fatBits)
    {
        if (geteuid() != 0) {
            return false;
        }
        const std::string image = m_dir + "/fat" + fatBits + ".img";
        const std::string make = "truncate -s " + sizeMb + "M '" + image + "' && mkfs.vfat -F " + fatBits
            + " '" + image + "' >/dev/null 2>&1 && mount -o loop '" + image + "' '" + m_mount + "' 2>/dev/null";
        m_mounted = std::system(make.c_str()) == 0;
        return m_mounted;
    }
    std::string VolumeName() const
    {
        char name[16] = "";
        EXPECT_TRUE(GetVolumeInformation(m_mount.c_str(), nullptr, 0, nullptr, nullptr, nullptr, name, sizeof name));
        return name;
    }

    std::string m_dir;
    std::string m_mount;
    bool m_mounted = false;
};

} // namespace

TEST_F(VfatImage, SmallVolumeIsFat)
{
    if (!MountImage("16", "16")) {
        GTEST_SKIP() << "cannot make and mount a vfat image here";
    }
    EXPECT_EQ(VolumeName(), "FAT");
    char tooSmall[3] = "xx";
    EXPECT_TRUE(GetVolumeInformation(m_mount.c_str(), nullptr, 0, nullptr, nullptr, nullptr, tooSmall, 3));
    EXPECT_STREQ(tooSmall, "xx");
}

TEST_F(VfatImage, LargeVolumeIsFat32)
{
    if (!MountImage("300", "32")) {
        GTEST_SKIP() << "cannot make and mount a vfat image here";
    }
    EXPECT_EQ(VolumeName(), "FAT32");
    char exact[6] = "xxxxx";
    EXPECT_TRUE(GetVolumeInformation(m_mount.c_str(), nullptr, 0, nullptr, nullptr, nullptr, exact, 6));
    EXPECT_STREQ(exact, "FAT32");
    char tooSmall[5] = "xxxx";
    EXPECT_TRUE(GetVolumeInformation(m_mount.c_str(), nullptr, 0, nullptr, nullptr, nullptr, tooSmall, 5));
    EXPECT_STREQ(tooSmall, "xxxx");
}

namespace {

uint32_t Le(const std::string& s, size_t offset, size_t bytes)
{
    uint32_t v = 0;
    for (size_t i = 0; i < bytes; ++i) {
        v |= uint32_t(static_cast<uint8_t>(s[offset + i])) << (8 * i);
    }
    return v;
}

// Data cluster count from a FAT boot sector, the number Linux's vfat driver
// reports as statfs f_blocks.
uint64_t ClustersOfImage(const std::string& image)
{
    FILE* file = std::fopen(image.c_str(), "rb");
    if (file == nullptr) {
        return 0;
    }
    std::string sector(512, '\0');
    const size_t got = std::fread(sector.data(), 1, sector.size(), file);
    std::fclose(file);
    if (got != sector.size()) {
        return 0;
    }
    const uint32_t bytesPerSector = Le(sector, 11, 2);
    const uint32_t sectorsPerCluster = Le(sector, 13, 1);
    const uint32_t reserved = Le(sector, 14, 2);
    const uint32_t fats = Le(sector, 16, 1);
    const uint32_t rootEntries = Le(sector, 17, 2);
    const uint32_t total = Le(sector, 19, 2) != 0 ? Le(sector, 19, 2) : Le(sector, 32, 4);
    const uint32_t fatSize = Le(sector, 22, 2) != 0 ? Le(sector, 22, 2) : Le(sector, 36, 4);
    const uint32_t rootSectors = (rootEntries * 32 + bytesPerSector - 1) / bytesPerSector;
    return (total - (reserved + fats * fatSize + rootSectors)) / sectorsPerCluster;
}

} // namespace

// Where vfat cannot be mounted, the cluster rule is still checked against
// real images: each FAT type that mkfs.vfat makes maps to its own name.
TEST_F(VfatImage, ClusterRuleAgreesWithRealImages)
{
    const struct {
        const char* sizeMb;
        const char* fatBits;
        const char* name;
    } cases[] = {{"2", "12", "FAT"}, {"64", "16", "FAT"}, {"300", "32", "FAT32"}};
    for (const auto& c : cases) {
        const std::string image = m_dir + "/fat" + c.fatBits + ".img";
        const std::string make = std::string("truncate -s ") + c.sizeMb + "M '" + image + "' && mkfs.vfat -F "
            + c.fatBits + " '" + image + "' >/dev/null 2>&1";
        if (std::system(make.c_str()) != 0) {
            GTEST_SKIP() << "mkfs.vfat is not available";
        }
        const uint64_t clusters = ClustersOfImage(image);
        ASSERT_GT(clusters, 0u) << c.fatBits;
        EXPECT_EQ(FileSystemNameFromMagic(0x4d44, clusters), c.name) << c.fatBits << "-bit FAT, " << clusters;
    }
}
