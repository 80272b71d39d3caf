// Temporary folder rules: what counts as a leftover, which folder is cleaned
// when, and what survives the clean-up.
#include "engine/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern = (fs::temp_directory_path() / "engine-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    fs::path Make(const std::string& name) const
    {
        fs::path p = fs::path(path_) / name;
        std::ofstream(p) << "x";
        return p;
    }
    fs::path MakeDir(const std::string& name) const
    {
        fs::path p = fs::path(path_) / name;
        fs::create_directory(p);
        return p;
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace

TEST(TempDirectory, RecognisesOnlyTheUniqueNameTemplate)
{
    EXPECT_TRUE(IsFrameworkTempFileName("tmpAb12Z9"));
    EXPECT_TRUE(IsFrameworkTempFileName("tmp000000"));
    EXPECT_FALSE(IsFrameworkTempFileName("tmp"));
    EXPECT_FALSE(IsFrameworkTempFileName("tmpAb12Z"));      // five
    EXPECT_FALSE(IsFrameworkTempFileName("tmpAb12Z90"));    // seven
    EXPECT_FALSE(IsFrameworkTempFileName("tmpAb12Z.wav"));
    EXPECT_FALSE(IsFrameworkTempFileName("tmpAb-2Z9"));
    EXPECT_FALSE(IsFrameworkTempFileName("tmp_notes"));
    EXPECT_FALSE(IsFrameworkTempFileName("TMPAb12Z9"));
    EXPECT_FALSE(IsFrameworkTempFileName("xtmpAb12Z"));
}

TEST(TempDirectory, NullOrMissingFolderBeforeAnyIsSet)
{
    TempDirectory dir;
    EXPECT_STREQ(dir.Get(), "");
    EXPECT_FALSE(dir.Exists());
    EXPECT_EQ(dir.Set(nullptr), TkErrorInvalidArgument);
    EXPECT_STREQ(dir.Get(), "");

    EXPECT_EQ(dir.Set("/nonexistent/engine-test"), TkErrorInvalidArgument);
    EXPECT_STREQ(dir.Get(), "/nonexistent/engine-test"); // remembered anyway
    EXPECT_FALSE(dir.Exists());
}

TEST(TempDirectory, MissingFolderAfterOneIsSetKeepsThePrevious)
{
    ScratchDir a;
    TempDirectory dir;
    ASSERT_EQ(dir.Set(a.Path().c_str()), TkErrorSuccess);
    EXPECT_EQ(dir.Set("/nonexistent/engine-test"), TkErrorInvalidArgument);
    EXPECT_EQ(dir.Get(), a.Path());
    EXPECT_TRUE(dir.Exists());

    ScratchDir b;
    const fs::path file = b.Make("not-a-folder");
    EXPECT_EQ(dir.Set(file.c_str()), TkErrorInvalidArgument); // a file is no folder
    EXPECT_EQ(dir.Get(), a.Path());
}

TEST(TempDirectory, FirstSetCleansTheNewFolderOfLeftoversOnly)
{
    ScratchDir a;
    const fs::path leftover = a.Make("tmpQw3rT9");
    const fs::path foreignShort = a.Make("tmp12345");
    const fs::path foreignLong = a.Make("tmpReport.txt");
    const fs::path other = a.Make("album.wav");
    const fs::path subfolder = a.MakeDir("tmpAbCdEf");
    const fs::path inside = subfolder / "tmpZzZzZz";
    std::ofstream(inside) << "y";

    TempDirectory dir;
    ASSERT_EQ(dir.Set(a.Path().c_str()), TkErrorSuccess);
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_TRUE(fs::exists(foreignShort));
    EXPECT_TRUE(fs::exists(foreignLong));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_TRUE(fs::is_directory(subfolder));
    EXPECT_TRUE(fs::exists(inside)); // no descent into subfolders
}

TEST(TempDirectory, ChangingTheFolderCleansThePreviousNotTheNew)
{
    ScratchDir a;
    ScratchDir b;
    TempDirectory dir;
    ASSERT_EQ(dir.Set(a.Path().c_str()), TkErrorSuccess);

    const fs::path oldLeftover = a.Make("tmpAAAAAA");
    const fs::path oldForeign = a.Make("tmpAAAAAA.bak");
    const fs::path link = fs::path(a.Path()) / "tmpLINK00";
    fs::create_symlink(oldForeign, link);
    const fs::path newFile = b.Make("tmpBBBBBB");

    const char* before = dir.Get();
    ASSERT_EQ(dir.Set(b.Path().c_str()), TkErrorSuccess);
    EXPECT_FALSE(fs::exists(oldLeftover));
    EXPECT_TRUE(fs::exists(oldForeign));
    EXPECT_TRUE(fs::is_symlink(link)); // only regular files are ours
    EXPECT_TRUE(fs::exists(newFile));
    EXPECT_EQ(dir.Get(), b.Path());
    EXPECT_EQ(std::string(before), a.Path()); // earlier pointers stay valid
}

TEST(TempDirectory, DeleteCountsWhatItRemoved)
{
    ScratchDir a;
    a.Make("tmp111111");
    a.Make("tmp222222");
    a.Make("tmp33333");
    EXPECT_EQ(DeleteFrameworkTempFiles(a.Path()), 2u);
    EXPECT_EQ(DeleteFrameworkTempFiles("/nonexistent/engine-test"), 0u);
}
