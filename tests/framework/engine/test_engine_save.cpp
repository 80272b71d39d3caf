// Writing through the engine: a gain that is not a number is refused, and
// an engine that goes away during a write cancels it and removes the file
// it was writing.
#include "EngineTestSupport.h"

#include <cmath>
#include <filesystem>
#include <limits>

namespace fs = std::filesystem;

TEST_F(EngineTest, ANonFiniteGainIsRefusedAndNothingIsWritten)
{
    OpenDevice();
    const std::string path = tempFolder + "/gain.wav";
    for (double gain : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity()}) {
        const TkSaveSetting track{path.c_str(), 0.0, 1.0, gain, nullptr, 0};
        EXPECT_EQ(engine->SaveFile(&track, 1), TkErrorInvalidArgument) << gain;
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(EngineTest, AnEngineGoingAwayDuringAWriteCancelsItAndRemovesThePartialFile)
{
    OpenDevice();
    ASSERT_EQ(engine->Start(), TkErrorSuccess);
    ASSERT_TRUE(WaitForState(EngineState::Recording));
    constexpr int kSeconds = 10;
    for (int i = 0; i < kSeconds; ++i) {
        ASSERT_TRUE(backend.hardware->Cycle(44100));
    }
    ASSERT_EQ(engine->Stop(true), TkErrorSuccess);

    const fs::path album = fs::path(tempFolder) / "album";
    constexpr int kTracks = 40;
    std::vector<std::string> paths;
    for (int i = 0; i < kTracks; ++i) {
        paths.push_back((album / (std::to_string(i) + ".wav")).string());
    }
    std::vector<TkSaveSetting> tracks;
    for (const std::string& path : paths) {
        tracks.push_back({path.c_str(), 0.0, double(kSeconds), 3.0, nullptr, 0});
    }
    ASSERT_EQ(engine->SaveFile(tracks.data(), tracks.size()), TkErrorSuccess);
    engine.reset();  // as at the end of the process

    // A whole file is 44 header bytes and ten seconds of 32-bit stereo.
    const uintmax_t whole = 44 + uintmax_t(kSeconds) * 44100 * 2 * 4;
    int written = 0;
    for (const std::string& path : paths) {
        if (fs::exists(path)) {
            ++written;
            EXPECT_GE(fs::file_size(path), whole) << path << " is a partial file";
        }
    }
    EXPECT_LT(written, kTracks);
}
