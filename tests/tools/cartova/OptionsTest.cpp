// Parsing of the tool's options: times, pauses, track boundaries and the
// usage errors that must stop the tool before it records anything.
#include <gtest/gtest.h>

#include "Options.h"

TEST(ToolOptions, SecondsInTheirForms)
{
    EXPECT_DOUBLE_EQ(*ParseSeconds("90"), 90.0);
    EXPECT_DOUBLE_EQ(*ParseSeconds("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(*ParseSeconds("2:30"), 150.0);
    EXPECT_DOUBLE_EQ(*ParseSeconds("1:02:03.5"), 3723.5);
    for (const char* bad : {"", "abc", "-1", "1:60", "1.5:10", "1:2:3:4", "5s"})
        EXPECT_FALSE(ParseSeconds(bad)) << bad;
}

TEST(ToolOptions, PausesAndBoundaries)
{
    auto pause = ParsePause("1:00+5");
    ASSERT_TRUE(pause);
    EXPECT_DOUBLE_EQ(pause->at, 60.0);
    EXPECT_DOUBLE_EQ(pause->length, 5.0);
    EXPECT_FALSE(ParsePause("10"));
    EXPECT_FALSE(ParsePause("10+0"));

    auto splits = ParseSplits("3:10,7:45");
    ASSERT_TRUE(splits);
    EXPECT_EQ(*splits, (std::vector<double>{190.0, 465.0}));
    EXPECT_FALSE(ParseSplits("10,5"));
    EXPECT_FALSE(ParseSplits("0,5"));
    EXPECT_FALSE(ParseSplits("5,5"));

    for (const auto& [text, count] : {std::pair{"auto", 0u}, {"auto=6", 6u}, {"auto=12", 12u}}) {
        GlobalOptions global;
        RecordOptions options;
        ASSERT_TRUE(ParseRecordOptions({"--tracks", text}, global, options).ok) << text;
        EXPECT_TRUE(options.autoTracks);
        EXPECT_EQ(options.trackCount, count) << text;
    }
    for (const char* bad : {"auto=0", "auto=", "auto=x", "auto=-3", "auto=100", "autos"})
        EXPECT_FALSE(ParseTrackCount(std::string(bad).substr(4))) << bad;
}

TEST(ToolOptions, RecordDefaultsAndFormats)
{
    GlobalOptions global;
    RecordOptions pcm;
    ASSERT_TRUE(ParseRecordOptions({"-t", "10"}, global, pcm).ok);
    EXPECT_EQ(pcm.format, RecordFormat::Pcm);
    EXPECT_EQ(pcm.rate, 96000u);
    EXPECT_EQ(pcm.bits, 24);

    RecordOptions dsd;
    ASSERT_TRUE(ParseRecordOptions({"--dsd=128", "--simulate", "--speed", "8"}, global, dsd).ok);
    EXPECT_EQ(dsd.format, RecordFormat::Dsd);
    EXPECT_EQ(dsd.rate, 5644800u);
    EXPECT_TRUE(global.simulate);
    EXPECT_TRUE(global.simulateSource.empty());
    EXPECT_DOUBLE_EQ(global.speed, 8.0);

    GlobalOptions withFile;
    RecordOptions other;
    ASSERT_TRUE(ParseRecordOptions({"--simulate", "/tmp/x.wav", "-t", "1"}, withFile, other).ok);
    EXPECT_EQ(withFile.simulateSource, "/tmp/x.wav");
}

TEST(ToolOptions, FlacIsAPcmFileFormatWithItsLevelAndCover)
{
    GlobalOptions global;
    RecordOptions plain, chosen;
    ASSERT_TRUE(ParseRecordOptions({"-f", "flac"}, global, plain).ok);
    EXPECT_TRUE(plain.flac);
    EXPECT_EQ(plain.format, RecordFormat::Pcm);
    EXPECT_FALSE(plain.compression);
    ASSERT_TRUE(ParseRecordOptions({"--flac", "--compression", "8", "--cover", "c.png"}, global, chosen).ok);
    EXPECT_TRUE(chosen.flac);
    EXPECT_EQ(chosen.compression, 8u);
    EXPECT_EQ(chosen.cover, "c.png");
    ParseResult dsd = ParseRecordOptions({"--flac", "--dsd", "64"}, global, chosen);
    EXPECT_EQ(dsd.error, "FLAC is for PCM recordings only; DSD recordings are written as DSF files");
}

TEST(ToolOptions, UsageErrors)
{
    const std::vector<std::vector<std::string>> bad = {
        {"--rate", "12345"},        {"--bits", "20"},       {"--dsd", "512"},
        {"--format", "mp3"},        {"--duration", "0"},    {"--duration"},
        {"--unknown", "1"},         {"stray"},              {"--format", "dsd", "--rate", "96000"},
        {"--pause", "10+5", "--pause", "5+1"}, {"--gain", "loud"},
        {"-f", "flac", "--dsd", "64"}, {"--compression", "5"}, {"--cover", "c.png"}, {"--flac", "--compression", "9"},
    };
    for (const auto& args : bad) {
        GlobalOptions global;
        RecordOptions options;
        ParseResult result = ParseRecordOptions(args, global, options);
        EXPECT_FALSE(result.ok) << args[0];
        EXPECT_FALSE(result.error.empty());
    }
}

TEST(ToolOptions, GlobalOptionsStopAtTheCommand)
{
    GlobalOptions global;
    size_t next = 0;
    std::vector<std::string> args{"--simulate", "record", "-t", "5"};
    ASSERT_TRUE(ParseLeadingGlobalOptions(args, global, next).ok);
    EXPECT_TRUE(global.simulate);
    EXPECT_TRUE(global.simulateSource.empty());
    EXPECT_EQ(next, 1u);
}
