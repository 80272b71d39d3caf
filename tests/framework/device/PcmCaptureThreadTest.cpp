// The capture loop against a scripted PCM: cycles of converted frames,
// overrun recovery with position and loss, and a device that goes away.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "device/PcmCaptureThread.h"
#include "support/FakeCapturePcm.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

// What the callbacks saw, with a way to wait for it.
struct Observed {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<float> left;
    std::vector<std::pair<uint64_t, uint64_t>> overruns;
    std::vector<int> ended;
    size_t cycles = 0;

    CaptureCallbacks Callbacks()
    {
        CaptureCallbacks callbacks;
        callbacks.cycle = [this](const AudioBufferList& input) {
            std::lock_guard lock(mutex);
            const auto* samples = static_cast<const float*>(input.mBuffers[0].mData);
            const size_t count = input.mBuffers[0].mDataByteSize / sizeof(float);
            for (size_t i = 0; i < count; i += 2) {
                left.push_back(samples[i]);
            }
            ++cycles;
            changed.notify_all();
        };
        callbacks.overrun = [this](uint64_t position, uint64_t lost) {
            std::lock_guard lock(mutex);
            overruns.emplace_back(position, lost);
            changed.notify_all();
        };
        callbacks.ended = [this](int error) {
            std::lock_guard lock(mutex);
            ended.push_back(error);
            changed.notify_all();
        };
        return callbacks;
    }

    template <class Predicate>
    bool WaitFor(Predicate predicate)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kPatience, predicate);
    }
};

PcmHardwareConfig Stereo16(uint32_t rate)
{
    PcmHardwareConfig config;
    config.format = {SND_PCM_FORMAT_S16_LE, 2, 16};
    config.channels = 2;
    config.rate = rate;
    config.bufferFrames = rate;
    config.periodFrames = rate / 32;
    return config;
}

} // namespace

TEST(PcmCaptureThread, DeliversWholeCyclesOfConvertedFrames)
{
    FakeCapturePcm pcm;
    Observed seen;
    PcmCaptureThread thread;
    ASSERT_EQ(thread.Start(pcm, Stereo16(48000), 100, seen.Callbacks()), 0);
    pcm.Release(130); // one cycle and a part
    pcm.Release(70);  // completes the second
    ASSERT_TRUE(seen.WaitFor([&] { return seen.cycles == 2; }));
    thread.Stop();

    ASSERT_EQ(seen.left.size(), 200u);
    for (size_t i = 0; i < seen.left.size(); ++i) {
        ASSERT_EQ(seen.left[i], static_cast<float>(i) / 32768.0f) << "frame " << i;
    }
    EXPECT_EQ(thread.DeliveredFrames(), 200u);
    EXPECT_TRUE(seen.ended.empty()) << "a stop asked for is not an error";
}

TEST(PcmCaptureThread, OverrunIsRecoveredCountedAndReportedWithPositionAndLoss)
{
    FakeCapturePcm pcm;
    pcm.SetOverrunLoss(500);
    Observed seen;
    PcmCaptureThread thread;
    ASSERT_EQ(thread.Start(pcm, Stereo16(48000), 100, seen.Callbacks()), 0);
    pcm.Release(250);
    pcm.Fail(-EPIPE);
    pcm.Release(150);
    ASSERT_TRUE(seen.WaitFor([&] { return seen.cycles == 4; }));
    thread.Stop();

    ASSERT_EQ(seen.overruns.size(), 1u);
    EXPECT_EQ(seen.overruns[0].first, 250u) << "the gap follows the last frame read";
    EXPECT_EQ(seen.overruns[0].second, 500u);
    EXPECT_EQ(thread.OverrunCount(), 1u);
    EXPECT_EQ(pcm.recovered, 1);
    // Capture goes on after the gap: frame 250 of the stream is device frame 750.
    ASSERT_EQ(seen.left.size(), 400u);
    EXPECT_EQ(seen.left[249], 249.0f / 32768.0f);
    EXPECT_EQ(seen.left[250], 750.0f / 32768.0f);
    EXPECT_TRUE(seen.ended.empty());
}

TEST(PcmCaptureThread, DeviceGoneEndsTheThreadAndIsReportedOnce)
{
    FakeCapturePcm pcm;
    Observed seen;
    PcmCaptureThread thread;
    ASSERT_EQ(thread.Start(pcm, Stereo16(44100), 100, seen.Callbacks()), 0);
    pcm.Release(100);
    pcm.Fail(-ENODEV);
    pcm.Release(100); // never read
    ASSERT_TRUE(seen.WaitFor([&] { return !seen.ended.empty(); }));
    thread.Stop();
    EXPECT_EQ(seen.ended, std::vector<int>{-ENODEV});
    EXPECT_EQ(seen.cycles, 1u);
    EXPECT_EQ(pcm.recovered, 0);
}
