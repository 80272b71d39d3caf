// File, directory and string helpers: their results, including the error results.
#include "platform/FileHelpers.h"
#include "platform/StringHelpers.h"
#include "platform/Trace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class TempDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/cartova-platform-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(m_dir, error);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    static void Touch(const std::string& path) { std::ofstream(path) << "x"; }

    fs::path m_dir;
};

} // namespace

TEST(MemcpyS, ResultsAndNoPartialCopy)
{
    char dest[4] = {'a', 'b', 'c', 'd'};
    const char src[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};
    EXPECT_EQ(memcpy_s(nullptr, 0, nullptr, 0), 0);
    EXPECT_EQ(memcpy_s(nullptr, 4, src, 2), 22);
    EXPECT_EQ(memcpy_s(dest, 4, nullptr, 2), 22);
    EXPECT_EQ(memcpy_s(dest, 4, src, 8), 34);
    EXPECT_EQ(std::string(dest, 4), "abcd");
    EXPECT_EQ(memcpy_s(dest, 4, src, 4), 0);
    EXPECT_EQ(std::string(dest, 4), "1234");
}

TEST_F(TempDir, FopenAndFreadS)
{
    FILE* file = reinterpret_cast<FILE*>(1);
    EXPECT_EQ(_tfopen_s(nullptr, Path("a").c_str(), "rb"), 22);
    EXPECT_EQ(_tfopen_s(&file, Path("missing").c_str(), "rb"), ENOENT);
    EXPECT_EQ(file, nullptr);

    ASSERT_EQ(_tfopen_s(&file, Path("data").c_str(), "wb"), 0);
    ASSERT_NE(file, nullptr);
    std::fwrite("abcdefgh", 1, 8, file);
    std::fclose(file);

    ASSERT_EQ(_tfopen_s(&file, Path("data").c_str(), "rb"), 0);
    char buffer[8] = {};
    EXPECT_EQ(fread_s(nullptr, 8, 1, 4, file), 0u);
    EXPECT_EQ(fread_s(buffer, 8, 0, 4, file), 0u);
    EXPECT_EQ(fread_s(buffer, 8, 1, 0, file), 0u);
    EXPECT_EQ(fread_s(buffer, 8, 1, 4, nullptr), 0u);
    EXPECT_EQ(fread_s(buffer, 7, 2, 4, file), 0u); // 7 / 2 < 4
    EXPECT_EQ(fread_s(buffer, 8, 2, 4, file), 4u);
    EXPECT_EQ(std::string(buffer, 8), "abcdefgh");
    EXPECT_EQ(fread_s(buffer, 8, 1, 4, file), 0u); // at the end
    std::fclose(file);
}

TEST_F(TempDir, DirectoryHelpers)
{
    const std::string dir = Path("album");
    EXPECT_FALSE(CreateDirectory(nullptr, nullptr));
    EXPECT_TRUE(CreateDirectory(dir.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectory(dir.c_str(), nullptr)); // exists already
    EXPECT_FALSE(CreateDirectory(Path("no/such/parent").c_str(), nullptr));
    EXPECT_EQ(fs::status(dir).permissions() & fs::perms::owner_all, fs::perms::owner_all);

    EXPECT_TRUE(PathIsDirectory(dir.c_str()));
    EXPECT_FALSE(PathIsDirectory(nullptr));
    EXPECT_FALSE(PathIsDirectory(Path("missing").c_str()));
    EXPECT_TRUE(PathIsDirectoryEmpty(dir.c_str()));
    EXPECT_TRUE(PathIsDirectoryEmpty(Path("missing").c_str()));

    Touch(dir + "/track.wav");
    EXPECT_FALSE(PathIsDirectory((dir + "/track.wav").c_str()));
    EXPECT_FALSE(PathIsDirectoryEmpty(dir.c_str()));

    EXPECT_FALSE(DeleteFile(dir.c_str()));
    EXPECT_FALSE(DeleteFile(Path("missing").c_str()));
    EXPECT_FALSE(DeleteFile(nullptr));
    EXPECT_TRUE(DeleteFile((dir + "/track.wav").c_str()));
    EXPECT_FALSE(fs::exists(dir + "/track.wav"));

    Touch(dir + "/a");
    ASSERT_TRUE(CreateDirectory((dir + "/sub").c_str(), nullptr));
    Touch(dir + "/sub/b");
    Touch(Path("plain"));
    EXPECT_FALSE(RemoveDirectory(Path("plain").c_str()));
    EXPECT_FALSE(RemoveDirectory(Path("missing").c_str()));
    EXPECT_FALSE(RemoveDirectory(nullptr));
    EXPECT_TRUE(RemoveDirectory(dir.c_str()));
    EXPECT_FALSE(fs::exists(dir));
}

TEST_F(TempDir, RemoveDirectoryDoesNotFollowALinkOutOfTheTree)
{
    const std::string outside = Path("outside");
    ASSERT_TRUE(CreateDirectory(outside.c_str(), nullptr));
    Touch(outside + "/keep");
    ASSERT_TRUE(CreateDirectory(Path("tree").c_str(), nullptr));
    fs::create_directory_symlink(outside, Path("tree/link"));
    EXPECT_FALSE(RemoveDirectory(Path("tree/link").c_str()));
    EXPECT_TRUE(RemoveDirectory(Path("tree").c_str()));
    EXPECT_TRUE(fs::exists(outside + "/keep"));
}

TEST(StringHelpers, Results)
{
    EXPECT_EQ(lstrlen("abc"), 3);
    EXPECT_EQ(lstrlen("\xc3\xa4"), 2); // bytes, not characters
    EXPECT_EQ(lstrlen(nullptr), 0);

    const time_t epoch = 86400;
    struct tm out {};
    EXPECT_EQ(localtime_s(&out, &epoch), 0);
    EXPECT_EQ(out.tm_year, 70);
    EXPECT_EQ(localtime_s(nullptr, &epoch), 22);

    char dest[8];
    size_t converted = 0;
    EXPECT_EQ(wcstombs_s(&converted, dest, sizeof dest, L"abc"), 0);
    EXPECT_STREQ(dest, "abc");
    EXPECT_EQ(converted, 4u);
    EXPECT_EQ(wcstombs_s(&converted, dest, 4, L"abcdef"), 34);
    EXPECT_STREQ(dest, "abc"); // truncated, still terminated
    EXPECT_EQ(wcstombs_s(nullptr, nullptr, 4, L"a"), 22);
}

TEST(Trace, FormatsFileLineAndText)
{
    setenv("CARTOVA_TRACE_STDERR", "1", 1);
    ::testing::internal::CaptureStderr();
    Trace("Recorder.cpp", 42, "level %d of %s", 3, "five");
    OutputDebugString("plain text");
    const std::string captured = ::testing::internal::GetCapturedStderr();
    unsetenv("CARTOVA_TRACE_STDERR");
    EXPECT_EQ(captured, "Recorder.cpp(42): level 3 of five\nplain text\n");

    ::testing::internal::CaptureStderr();
    TRACE("quiet");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}
