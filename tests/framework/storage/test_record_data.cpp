// RecordData: sample positions, arguments, clean-up, and the rule that a
// record event switches every channel at the same capture buffer, also
// with events arriving concurrently; plus a reader racing the writer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "StorageTestSupport.h"
#include "storage/RecordData.h"

namespace {

class RecordDataTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    FolderEngine engine{folder.Path()};
    RecordRangeManager ranges;
};

TEST_F(RecordDataTest, LengthIsTheShortestChannelInSamples)
{
    RecordData data(&engine);
    EXPECT_EQ(data.GetLength(false), 0u);
    ASSERT_EQ(data.InitWithFormat(2, 192000, 32, false, nullptr, &ranges), TkErrorSuccess);
    EXPECT_EQ(data.GetBytesPerFrame(), 4u);
    ranges.AddRecordEvent(0, RecordEventStart);
    ASSERT_EQ(data.Add(0, PatternBlock(0, 4096)), TkErrorSuccess);
    ASSERT_EQ(data.Add(1, PatternBlock(0, 4000)), TkErrorSuccess);
    EXPECT_EQ(data.GetLength(false), 1000u);
    EXPECT_EQ(data.GetLength(true), 1000u);
    std::vector<uint8_t> out;
    EXPECT_EQ(data.GetData(2, 0, 10, out, false), TkErrorInvalidArgument);
    EXPECT_EQ(data.Add(2, PatternBlock(0, 4)), TkErrorInvalidArgument);
    ASSERT_EQ(data.GetData(0, 10, 20, out, true), TkErrorSuccess);
    EXPECT_EQ(out, PatternBlock(40, 40));
    AlignedByteVector aligned;
    ASSERT_EQ(data.GetData(1, 0, 5, aligned, false), TkErrorSuccess);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned.data()) % 16, 0u);
    EXPECT_EQ(aligned.size(), 20u);
}

TEST_F(RecordDataTest, DsdPositionsAreOneBitSamples)
{
    RecordData data(&engine);
    ASSERT_EQ(data.InitWithFormat(1, 2822400, 1, true, nullptr, &ranges), TkErrorSuccess);
    EXPECT_EQ(data.GetBytesPerFrame(), 2u);
    ASSERT_EQ(data.Add(0, PatternBlock(0, 64)), TkErrorSuccess);
    EXPECT_EQ(data.GetLength(false), 512u);
    EXPECT_EQ(data.GetLength(true), 0u);   // no start event yet
    std::vector<uint8_t> out;
    ASSERT_EQ(data.GetData(0, 64, 128, out, false), TkErrorSuccess);
    EXPECT_EQ(out, PatternBlock(8, 8));
}

TEST_F(RecordDataTest, BadInitKeepsThePreviousStreamsAndClearDeletesFiles)
{
    RecordData data(&engine, TemporaryData::kMaxFileBytes, 400);
    RecordData noType(&engine);
    EXPECT_EQ(noType.Init(2, 44100, nullptr, &ranges), TkErrorInvalidArgument);
    ASSERT_EQ(data.InitWithFormat(2, 44100, 32, false, nullptr, &ranges), TkErrorSuccess);
    ranges.AddRecordEvent(0, RecordEventStart);
    for (uint16_t c = 0; c < 2; ++c)
        ASSERT_EQ(data.Add(c, PatternBlock(0, 1000, c)), TkErrorSuccess);
    EXPECT_EQ(folder.TemporaryFileCount(), 2u);
    EXPECT_EQ(data.InitWithFormat(0, 44100, 32, false, nullptr, &ranges), TkErrorInvalidArgument);
    EXPECT_EQ(data.InitWithFormat(2, 0, 32, false, nullptr, &ranges), TkErrorInvalidArgument);
    EXPECT_EQ(data.GetChannels(), 2u);
    EXPECT_EQ(data.GetLength(true), 250u);
    ASSERT_EQ(data.TemporaryClear(), TkErrorSuccess);
    EXPECT_EQ(folder.TemporaryFileCount(), 0u);
    EXPECT_EQ(data.GetLength(false), 0u);
    ASSERT_EQ(data.Add(0, PatternBlock(0, 1000)), TkErrorSuccess);
    ASSERT_EQ(data.InitWithFormat(1, 44100, 32, false, nullptr, &ranges), TkErrorSuccess);
    EXPECT_EQ(data.GetChannels(), 1u);
    EXPECT_EQ(folder.TemporaryFileCount(), 0u);
}

TEST_F(RecordDataTest, EventBetweenChannelsAppliesFromTheNextBuffer)
{
    RecordData data(&engine);
    ASSERT_EQ(data.InitWithFormat(3, 48000, 32, false, nullptr, &ranges), TkErrorSuccess);
    ranges.AddRecordEvent(0, RecordEventStart);
    auto round = [&](uint64_t sample, uint16_t eventAfterChannel, RecordEventKind kind) {
        for (uint16_t c = 0; c < 3; ++c) {
            ASSERT_EQ(data.Add(c, PatternBlock(sample * 4, 400, c)), TkErrorSuccess);
            if (c == eventAfterChannel)   // as the engine does
                data.AddRecordEvent(ranges, kind, 0);
        }
    };
    round(0, 9, RecordEventPause);
    round(100, 0, RecordEventPause);    // paused while channel 1 and 2 were pending
    round(200, 9, RecordEventPause);
    round(300, 1, RecordEventResume);
    round(400, 9, RecordEventPause);
    // Rounds 0 and 1 recorded, 2 and 3 skipped, 4 recorded: for every channel.
    for (uint16_t c = 0; c < 3; ++c) {
        std::vector<uint8_t> out;
        ASSERT_EQ(data.GetData(c, 0, 300, out, true), TkErrorSuccess);
        std::vector<uint8_t> expected = PatternBlock(0, 800, c);
        std::vector<uint8_t> last = PatternBlock(1600, 400, c);
        expected.insert(expected.end(), last.begin(), last.end());
        EXPECT_EQ(out, expected) << "channel " << c;
    }
    EXPECT_EQ(data.GetLength(true), 300u);
    // The range manager, which the preview asks later, cuts at the same places.
    // (400, 400) is the range left open by the resume.
    EXPECT_EQ(ranges.GetAvailableRange_Frames(0, 500), (RecordRangeList{{0, 200}, {400, 400}}));
}

// One block of `frames` 32-bit samples, each naming its round and channel.
std::vector<uint8_t> RoundBlock(uint32_t round, uint16_t channel, size_t frames)
{
    std::vector<uint8_t> block(frames * 4);
    const uint32_t value = round << 4 | channel;
    for (size_t i = 0; i < frames; ++i)
        std::memcpy(block.data() + i * 4, &value, 4);
    return block;
}

TEST_F(RecordDataTest, ChannelsStayEqualUnderConcurrentEvents)
{
    const uint16_t channels = 4;
    RecordData data(&engine, 6 * 2048, 2048);
    ASSERT_EQ(data.InitWithFormat(channels, 48000, 32, false, nullptr, &ranges), TkErrorSuccess);
    ranges.AddRecordEvent(0, RecordEventStart);
    std::atomic<bool> done{false};
    std::atomic<int> eventsAdded{0};
    std::thread events([&] {
        std::mt19937 random(99);
        while (!done.load()) {
            auto kind = RecordEventKind(std::uniform_int_distribution<int>(1, 2)(random));
            ranges.AddRecordEvent(data.GetLength(false), kind);
            ++eventsAdded;
            std::this_thread::yield();
        }
        // The recording ends paused, so that later rounds are left out
        // however the two threads were scheduled.
        ranges.AddRecordEvent(data.GetLength(false), RecordEventPause);
    });
    std::mt19937 random(5);
    std::vector<size_t> roundFrames;
    constexpr uint32_t kRounds = 3000;
    constexpr uint32_t kConcurrentRounds = 2000;
    for (uint32_t r = 0; r < kRounds; ++r) {
        if (r == kConcurrentRounds) {
            // Some events must have raced the appends; on a loaded machine
            // the event thread may not have run yet, so wait for it.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (eventsAdded.load() < 10 && std::chrono::steady_clock::now() < deadline)
                std::this_thread::yield();
            done = true;
            events.join();
        }
        const size_t frames = std::uniform_int_distribution<size_t>(1, 300)(random);
        roundFrames.push_back(frames);
        for (uint16_t c = 0; c < channels; ++c)
            ASSERT_EQ(data.Add(c, RoundBlock(r, c, frames)), TkErrorSuccess);
    }
    EXPECT_GE(eventsAdded.load(), 10);

    const uint64_t length = data.GetLength(true);
    ASSERT_GT(length, 0u);
    std::vector<std::vector<uint32_t>> samples(channels);
    for (uint16_t c = 0; c < channels; ++c) {
        std::vector<uint8_t> bytes, beyond;
        ASSERT_EQ(data.GetData(c, 0, length, bytes, true), TkErrorSuccess);
        EXPECT_EQ(data.GetData(c, length, length + 1, beyond, true), TkErrorInvalidArgument) << c;
        samples[c].resize(length);
        std::memcpy(samples[c].data(), bytes.data(), bytes.size());
    }
    // Every channel holds the same rounds, each one whole.
    size_t mismatches = 0, partialRounds = 0, storedRounds = 0;
    for (uint64_t i = 0; i < length;) {
        const uint32_t round = samples[0][i] >> 4;
        const size_t frames = roundFrames[round];
        ++storedRounds;
        for (size_t k = 0; k < frames; ++k, ++i) {
            if (i >= length || samples[0][i] >> 4 != round) {
                ++partialRounds;
                break;
            }
            for (uint16_t c = 0; c < channels; ++c)
                mismatches += samples[c][i] != (round << 4 | c);
        }
    }
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(partialRounds, 0u);
    EXPECT_GT(storedRounds, 0u);
    EXPECT_LE(storedRounds, kConcurrentRounds);
}

TEST_F(RecordDataTest, ReadsRaceTheWriterSafely)
{
    TemporaryData data(&engine, 16 * 4096);
    ASSERT_EQ(data.Init(4096), TkErrorSuccess);
    std::atomic<bool> done{false};
    std::atomic<uint64_t> mismatches{0}, reads{0};
    std::thread reader([&] {
        std::mt19937_64 random(3);
        std::vector<uint8_t> out;
        while (!done.load()) {
            uint64_t length = data.GetLength(true);
            if (length < 2)
                continue;
            uint64_t from = random() % (length - 1);
            uint64_t to = std::min(length, from + 1 + random() % 10000);
            bool recorded = random() % 2 == 0;
            if (data.GetData(from, to, out, recorded) == TkErrorSuccess) {
                reads++;
                if (out != PatternBlock(from, to - from))
                    mismatches++;
            } else if (recorded) {
                mismatches++;
            }
        }
    });
    std::mt19937 random(4);
    uint64_t position = 0;
    // Keep writing until the reader has had its share, however the threads are scheduled.
    for (int i = 0; i < 1500 || (reads.load() < 200 && i < 50000); ++i) {
        if (i % 16 == 0)
            std::this_thread::yield();
        size_t size = std::uniform_int_distribution<size_t>(1, 3000)(random);
        ASSERT_EQ(data.Add(PatternBlock(position, size), RecordRangeList{{0, 0}}), TkErrorSuccess);
        position += size;
    }
    done = true;
    reader.join();
    EXPECT_EQ(mismatches.load(), 0u);
    EXPECT_GT(reads.load(), 0u);
}

} // namespace

#include "convert/SampleTypeInfo.h"

namespace {

TEST_F(RecordDataTest, InitTakesTheFormatFromTheSampleType)
{
    RecordData data(&engine);
    ASSERT_EQ(data.Init(2, 192000, GetSampleTypeInfo(0), &ranges), TkErrorSuccess);
    EXPECT_EQ(data.GetBitsPerSample(), 32u);
    EXPECT_EQ(data.GetBytesPerFrame(), 4u);
    EXPECT_EQ(data.GetSampleTypeInfo(), GetSampleTypeInfo(0));
    ASSERT_EQ(data.Init(2, 2822400, GetSampleTypeInfo(1), &ranges), TkErrorSuccess);
    EXPECT_EQ(data.GetBitsPerSample(), 1u);
    EXPECT_EQ(data.GetBytesPerFrame(), 2u);
    EXPECT_EQ(data.GetSampleRate(), 2822400u);
}

} // namespace
