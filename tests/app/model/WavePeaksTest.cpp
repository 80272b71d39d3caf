// Waveform peaks: chunking per scale, the last pass's partial entry, scaling and the
// maximum sample, with the peak worker reading the fake's preview stream.
#include "FakeCartova.h"
#include "state/ModeTimeManager.h"
#include "wave/PeakAccumulator.h"
#include "wave/WaveImageManager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

// Interleaved stereo frames: channel 1 carries left, channel 2 right.
std::vector<int16_t> Frames(size_t count, int16_t left, int16_t right)
{
    std::vector<int16_t> v(count * 2);
    for (size_t i = 0; i < count; ++i) {
        v[2 * i] = left;
        v[2 * i + 1] = right;
    }
    return v;
}

struct Series {
    PeakArray ch1{1000};
    PeakArray ch2{1000};
    PeakArray* both[2] = {&ch1, &ch2};
};

// Waits (bounded, generously) until the worker has finished its last pass, then delivers
// what it posted to the main thread.
bool WaitForWorker(const WaveImageManager& images)
{
    QElapsedTimer timer;
    timer.start();
    while (images.isGenerating() && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
    return !images.isGenerating();
}

class WaveImageManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        images.createImageWithView(nullptr, 3000, 60000, 23, 20);
    }
    void TearDown() override { ResetFake(); }

    // Runs one recording: the worker's first length query sees what is already in the
    // stream and asks the worker to stop; its second (the last pass) sees `lastPassFrames`
    // more frames.
    void RunOnePassThenStop(size_t lastPassFrames)
    {
        FakePreview().setOnLengthQuery([this, lastPassFrames](int query) {
            if (query == 1)
                images.stopWaveGenerate();
            else if (query == 2 && lastPassFrames > 0)
                FakePreview().append(Frames(lastPassFrames, 1000, -1000));
        });
        images.startWaveGenerate();
        ASSERT_TRUE(WaitForWorker(images));
    }

    WaveImageManager images{44100};
};

} // namespace

TEST(PeakAccumulator, EmitsOneEntryPerWholeChunkAndKeepsTheRest)
{
    Series s;
    PeakAccumulator zoom(2 * 4410, 1.0); // 0.1 s at 44100
    const auto values = Frames(4410 * 2 + 10, 100, -50);
    zoom.feed(values.data(), 3000, s.both); // less than one chunk
    EXPECT_EQ(s.ch1.length(), 0u);
    zoom.feed(values.data() + 3000, values.size() - 3000, s.both);
    EXPECT_EQ(s.ch1.length(), 2u);
    EXPECT_EQ(s.ch2.length(), 2u);
    EXPECT_EQ(zoom.fill(), 20u);
    EXPECT_FLOAT_EQ(s.ch1.at(0).maximum, 100.0f / 32767.0f);
    EXPECT_FLOAT_EQ(s.ch2.at(1).minimum, -50.0f / 32767.0f);

    zoom.flush(s.both);
    EXPECT_EQ(s.ch1.length(), 3u);
    EXPECT_EQ(zoom.fill(), 0u);
    zoom.flush(s.both); // nothing held: nothing emitted
    EXPECT_EQ(s.ch1.length(), 3u);
}

TEST(PeakAccumulator, MaximumAndMinimumPerChannelOverTheChunk)
{
    Series s;
    PeakAccumulator acc(8, 1.0); // four frames
    const std::vector<int16_t> v{1, -7, 5, 3, -2, 9, 0, -4};
    acc.feed(v.data(), v.size(), s.both);
    ASSERT_EQ(s.ch1.length(), 1u);
    EXPECT_FLOAT_EQ(s.ch1.at(0).maximum, 5.0f / 32767.0f);
    EXPECT_FLOAT_EQ(s.ch1.at(0).minimum, -2.0f / 32767.0f);
    EXPECT_FLOAT_EQ(s.ch2.at(0).maximum, 9.0f / 32767.0f);
    EXPECT_FLOAT_EQ(s.ch2.at(0).minimum, -7.0f / 32767.0f);
}

TEST(PeakAccumulator, FullScaleIsExactlyOneAndDsdAmplificationExceedsIt)
{
    EXPECT_EQ(PeakValue(32767, 1.0), 1.0f);
    EXPECT_EQ(PeakValue(-32767, 1.0), -1.0f);
    EXPECT_GT(PeakValue(19661, kDsdPeakAmplification), 1.0f);
    EXPECT_LT(PeakValue(19660, kDsdPeakAmplification), 1.0f);
}

TEST(PeakAccumulator, ZeroChunkEmitsNothing)
{
    Series s;
    PeakAccumulator acc(0, 1.0);
    const auto v = Frames(10, 1, 1);
    acc.feed(v.data(), v.size(), s.both);
    EXPECT_EQ(s.ch1.length(), 0u);
}

TEST(PeakArray, DropsEntriesBeyondCapacity)
{
    PeakArray a(2);
    EXPECT_TRUE(a.addPeak({1, -1}));
    EXPECT_TRUE(a.addPeak({2, -2}));
    EXPECT_FALSE(a.addPeak({3, -3}));
    EXPECT_EQ(a.length(), 2u);
    EXPECT_EQ(a.at(1).maximum, 2.0f);
    PeakArray empty;
    EXPECT_FALSE(empty.addPeak({1, 1}));
}

TEST_F(WaveImageManagerTest, CreatesRulersAndEmptySeriesOfTheStatedSizes)
{
    EXPECT_EQ(images.zoomScale().size(), QSize(60021, 23));
    EXPECT_EQ(images.wideScale().size(), QSize(3021, 23));
    EXPECT_EQ(images.zoomPeaks(0)->size(), 480000u);
    EXPECT_EQ(images.widePeaks(1)->size(), 24000u);
    EXPECT_EQ(images.zoomPeaks(0)->length(), 0u);
    EXPECT_EQ(images.getMaximumSample(), 0.0f);
    EXPECT_EQ(ModeTimeManager::sharedInstance().currentPixel(), 0);
}

TEST_F(WaveImageManagerTest, RulerTicksSitOnTheBottomEdge)
{
    // Zoom ruler: a 4-pixel tick at x = 20 (0 s), 1-pixel at x = 22 (0.2 s).
    const QImage& zoom = images.zoomScale();
    const QRgb tick = qRgb(0x80, 0x80, 0x80);
    EXPECT_EQ(zoom.pixel(20, 22), tick);
    EXPECT_EQ(zoom.pixel(20, 19), tick);
    EXPECT_EQ(zoom.pixel(22, 22), tick);
    EXPECT_NE(zoom.pixel(22, 21), tick);
    EXPECT_EQ(qAlpha(zoom.pixel(21, 22)), 0);
    // Wide ruler: ticks every 5 px.
    EXPECT_EQ(images.wideScale().pixel(25, 22), tick);
    EXPECT_NE(images.wideScale().pixel(25, 20), tick);
}

TEST_F(WaveImageManagerTest, EntriesCover4410And88200FramesAt44100)
{
    FakePreview().append(Frames(88200 * 2 + 4410, 32767, -16384));
    RunOnePassThenStop(0);
    EXPECT_EQ(images.zoomPeaks(0)->length(), 41u);
    EXPECT_EQ(images.zoomPeaks(1)->length(), 41u);
    EXPECT_EQ(images.widePeaks(0)->length(), 2u); // the partial 4410 frames are not emitted
    EXPECT_EQ(images.zoomPeaks(0)->at(0).maximum, 1.0f);
    EXPECT_EQ(ModeTimeManager::sharedInstance().currentPixel(), 41);
    EXPECT_EQ(images.getMaximumSample(), 1.0f);
}

TEST_F(WaveImageManagerTest, LastPassWithNewFramesEmitsThePartialChunks)
{
    FakePreview().append(Frames(4410 * 2 + 100, 500, -500));
    RunOnePassThenStop(100);
    EXPECT_EQ(images.zoomPeaks(0)->length(), 3u);
    EXPECT_EQ(images.widePeaks(0)->length(), 1u);
    EXPECT_EQ(images.widePeaks(1)->length(), 1u);
    EXPECT_FLOAT_EQ(images.zoomPeaks(0)->at(2).maximum, 1000.0f / 32767.0f);
    EXPECT_EQ(ModeTimeManager::sharedInstance().currentPixel(), 3);
    EXPECT_FLOAT_EQ(images.getMaximumSample(), 1000.0f / 32767.0f);
}

TEST_F(WaveImageManagerTest, LastPassWithoutNewFramesLeavesThePartialChunk)
{
    FakePreview().append(Frames(4410 * 2 + 100, 500, -500));
    RunOnePassThenStop(0);
    EXPECT_EQ(images.zoomPeaks(0)->length(), 2u);
    EXPECT_EQ(images.widePeaks(0)->length(), 0u);
    EXPECT_EQ(images.getMaximumSample(), 0.0f);
}

TEST_F(WaveImageManagerTest, AmplificationAndFrequencyOfADsdRecording)
{
    images.setFrequency(88200); // DSD128 preview rate: 8820 frames per zoom entry
    images.setAmplification(kDsdPeakAmplification);
    FakePreview().append(Frames(8820 * 20, 19661, -100));
    RunOnePassThenStop(0);
    EXPECT_EQ(images.zoomPeaks(0)->length(), 20u);
    EXPECT_EQ(images.widePeaks(0)->length(), 1u);
    EXPECT_GT(images.widePeaks(0)->at(0).maximum, 1.0f);
    EXPECT_GT(images.getMaximumSample(), 1.0f);
}

TEST_F(WaveImageManagerTest, StopBeforeAnyPassStillReadsOnce)
{
    FakePreview().append(Frames(4410 * 3, 10, 10));
    images.startWaveGenerate();
    images.stopWaveGenerate();
    ASSERT_TRUE(WaitForWorker(images));
    EXPECT_EQ(images.zoomPeaks(0)->length(), 3u);
}

TEST_F(WaveImageManagerTest, FramesOfAFailedReadAreReadAgainOnTheNextPass)
{
    FakePreview().append(Frames(4410 * 3, 700, -700));
    FakePreview().failReadsWith(TkErrorFailed);
    FakePreview().setOnLengthQuery([this](int query) {
        if (query == 2) { // the first pass's read has failed by now
            FakePreview().failReadsWith(TkErrorSuccess);
            images.stopWaveGenerate();
        }
    });
    images.startWaveGenerate();
    ASSERT_TRUE(WaitForWorker(images));
    EXPECT_EQ(images.zoomPeaks(0)->length(), 3u);
    EXPECT_FLOAT_EQ(images.zoomPeaks(0)->at(0).maximum, 700.0f / 32767.0f);
}
