// DSD word rounding and the de-interleaving of one IO cycle into queue slots.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "FakeCaptureTarget.h"
#include "capture/Float_To_DSD16.h"
#include "capture/IOProcSplitter.h"
#include "device/AudioHardwareTypes.h"

namespace {

std::vector<float> FloatsOf(const std::vector<uint8_t>& bytes)
{
    std::vector<float> out(bytes.size() / 4);
    std::memcpy(out.data(), bytes.data(), out.size() * 4);
    return out;
}

std::vector<int16_t> WordsOf(const std::vector<uint8_t>& bytes)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        out.push_back(static_cast<int16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    return out;
}

}  // namespace

TEST(FloatToDsd16, RoundsTiesToEvenAndSaturates)
{
    const std::vector<float> in = {1.0f,           -1.0f,           0.5f,          0.5f / 32768.0f,
                                   1.5f / 32768.0f, 2.5f / 32768.0f, -0.5f / 32768.0f, 2.0f,
                                   -3.0f,          100.0f / 32768.0f, std::numeric_limits<float>::infinity(),
                                   std::numeric_limits<float>::quiet_NaN()};
    const std::vector<short> expected = {32767, -32768, 16384, 0, 2, 2, 0, 32767, -32768, 100, 32767, 0};
    std::vector<short> out(in.size());
    Float_To_DSD16(out.data(), in.data(), in.size());
    EXPECT_EQ(out, expected);
}

TEST(FloatToDsd16, VectorBlocksAgreeWithSingleSamples)
{
    // 8-sample blocks plus a remainder must give exactly the per-sample rule.
    std::vector<float> in(8 * 37 + 5);
    for (size_t i = 0; i < in.size(); ++i) {
        in[i] = static_cast<float>(static_cast<int>(i * 977 % 65536) - 32768) / 32768.0f;
    }
    std::vector<short> out(in.size());
    Float_To_DSD16(out.data(), in.data(), in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        ASSERT_EQ(out[i], static_cast<short>(static_cast<int>(i * 977 % 65536) - 32768)) << i;
    }
}

TEST(IOProcSplitter, OneStereoBufferIsDeinterleaved)
{
    const std::vector<float> interleaved = {0.1f, -0.1f, 0.2f, -0.2f, 0.3f, -0.3f};
    const CaptureInputBuffer buffer{2, static_cast<uint32_t>(interleaved.size() * 4), interleaved.data()};
    FakeCaptureTarget target;
    IOProc_PCM(&buffer, 1, target);

    ASSERT_EQ(target.buffers[0].size(), 1u);
    ASSERT_EQ(target.buffers[1].size(), 1u);
    EXPECT_EQ(FloatsOf(target.buffers[0][0]), (std::vector<float>{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(FloatsOf(target.buffers[1][0]), (std::vector<float>{-0.1f, -0.2f, -0.3f}));
    EXPECT_EQ(target.wakeUps, 1);
}

TEST(IOProcSplitter, TwoMonoBuffersAreNumberedInListOrder)
{
    const std::vector<float> left = {0.25f, 0.5f};
    const std::vector<float> right = {-0.25f, -0.5f};
    const CaptureInputBuffer buffers[2] = {{1, 8, left.data()}, {1, 8, right.data()}};
    FakeCaptureTarget target;
    IOProc_DSD16(buffers, 2, target);

    EXPECT_EQ(target.order, (std::vector<unsigned short>{0, 1}));
    EXPECT_EQ(target.cycles, 1);  // both mono buffers form one cycle
    EXPECT_EQ(WordsOf(target.buffers[0][0]), (std::vector<int16_t>{8192, 16384}));
    EXPECT_EQ(WordsOf(target.buffers[1][0]), (std::vector<int16_t>{-8192, -16384}));
    // Little-endian words: 8192 = 0x2000.
    EXPECT_EQ(target.buffers[0][0][0], 0x00);
    EXPECT_EQ(target.buffers[0][0][1], 0x20);
}

TEST(IOProcSplitter, EmptyOrMalformedListsOnlyWake)
{
    FakeCaptureTarget target;
    IOProc_PCM(nullptr, 0, target);
    const CaptureInputBuffer noChannels{0, 64, nullptr};
    IOProc_PCM(&noChannels, 1, target);
    EXPECT_TRUE(target.order.empty());
    EXPECT_EQ(target.cycles, 0);
    EXPECT_EQ(target.wakeUps, 2);
}

TEST(IOProcSplitter, DeviceLayerBufferList)
{
    std::vector<float> stereo = {0.5f, -0.5f, 0.25f, -0.25f};
    AudioBuffer buffer;
    buffer.mNumberChannels = 2;
    buffer.mDataByteSize = 16;
    buffer.mData = stereo.data();
    AudioBufferList list;
    list.mNumberBuffers = 1;
    list.mBuffers = &buffer;
    FakeCaptureTarget target;
    SplitBufferList(&list, false, target);
    EXPECT_EQ(FloatsOf(target.buffers[0][0]), (std::vector<float>{0.5f, 0.25f}));
    EXPECT_EQ(FloatsOf(target.buffers[1][0]), (std::vector<float>{-0.5f, -0.25f}));
    SplitBufferList(static_cast<const AudioBufferList*>(nullptr), false, target);
    EXPECT_EQ(target.wakeUps, 2);
}

TEST(IOProcSplitter, ACycleLongerThanASlotGoesOutInSlotSizedCycles)
{
    // 10 stereo frames into slots of 4 floats: cycles of 4, 4 and 2 frames,
    // each holding both channels, in order.
    std::vector<float> interleaved;
    for (int f = 0; f < 10; ++f) {
        interleaved.push_back(static_cast<float>(f));
        interleaved.push_back(static_cast<float>(-f));
    }
    const CaptureInputBuffer buffer{2, static_cast<uint32_t>(interleaved.size() * 4), interleaved.data()};
    FakeCaptureTarget target(16);
    IOProc_PCM(&buffer, 1, target);

    EXPECT_EQ(target.cycles, 3);
    EXPECT_EQ(target.wakeUps, 1);
    std::vector<float> left, right;
    for (size_t i = 0; i < target.buffers[0].size(); ++i) {
        ASSERT_EQ(target.buffers[0][i].size(), target.buffers[1][i].size());
        for (float x : FloatsOf(target.buffers[0][i])) {
            left.push_back(x);
        }
        for (float x : FloatsOf(target.buffers[1][i])) {
            right.push_back(x);
        }
    }
    EXPECT_EQ(left, (std::vector<float>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(right, (std::vector<float>{0, -1, -2, -3, -4, -5, -6, -7, -8, -9}));
}

TEST(IOProcSplitter, AChannelCountTheQueueWasNotMadeForIsNotQueued)
{
    FakeCaptureTarget target;
    ASSERT_EQ(target.queue.Init(2, 64), TkErrorSuccess);
    const std::vector<float> mono = {0.5f, 0.25f};
    const CaptureInputBuffer buffer{1, 8, mono.data()};
    IOProc_PCM(&buffer, 1, target);
    EXPECT_EQ(target.cycles, 0);
    EXPECT_EQ(target.wakeUps, 1);
}
