// Which track files a write run produced: skipped and untouched files are not
// reported as written, and the file cut short by an abort is found.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "WriteOutcome.h"

using O = TrackOutcome;

TEST(ToolWriteOutcome, SkippedAndUnchangedFilesAreNotWritten)
{
    // b existed before (--overwrite) and was skipped: it is unchanged and named.
    const std::vector<TrackFile> files = {{"/o/a.wav", true}, {"/o/b.wav", false}, {"/o/c.wav", true}};
    WriteRunEnd end;
    end.skipped = {"/o/b.wav"};
    EXPECT_EQ(ClassifyTracks(files, end), (std::vector<O>{O::Written, O::NotWritten, O::Written}));
}

TEST(ToolWriteOutcome, AbortMarksTheFailingFileIncomplete)
{
    const std::vector<TrackFile> files = {{"/o/a.wav", true}, {"/o/b.wav", true}, {"/o/c.wav", false}};
    WriteRunEnd named;
    named.aborted = true;
    named.abortedPath = "/o/b.wav";
    EXPECT_EQ(ClassifyTracks(files, named), (std::vector<O>{O::Written, O::Incomplete, O::NotWritten}));

    // The temporary folder failed: no path is named; the last file touched is the failing one.
    WriteRunEnd unnamed;
    unnamed.aborted = true;
    EXPECT_EQ(ClassifyTracks(files, unnamed), (std::vector<O>{O::Written, O::Incomplete, O::NotWritten}));

    // No room for c before it was opened: the earlier files are complete.
    WriteRunEnd beforeOpening;
    beforeOpening.aborted = true;
    beforeOpening.abortedPath = "/o/c.wav";
    EXPECT_EQ(ClassifyTracks(files, beforeOpening), (std::vector<O>{O::Written, O::Written, O::NotWritten}));
}

TEST(ToolWriteOutcome, StampsSeeNewAndRewrittenFiles)
{
    char pattern[] = "/tmp/cartova-stamp-XXXXXX";
    const int fd = mkstemp(pattern);
    ASSERT_GE(fd, 0);
    close(fd);
    const std::string path = pattern;
    const FileStamp empty = StampOf(path);
    EXPECT_TRUE(empty.exists);
    EXPECT_FALSE(WrittenSince(empty, StampOf(path)));
    EXPECT_TRUE(WrittenSince(StampOf(path + ".none"), empty));

    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("RIFF", f);
    std::fclose(f);
    EXPECT_TRUE(WrittenSince(empty, StampOf(path)));
    std::remove(path.c_str());
    EXPECT_FALSE(WrittenSince(empty, StampOf(path)));
}
