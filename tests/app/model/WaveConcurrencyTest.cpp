// The peak worker appending while the waveform view draws the same series: a simulated
// recording grows on a feeder thread while the main thread keeps painting. Run under
// ThreadSanitizer (CARTOVA_TSAN) to check the publication of the series' lengths.
#include "FakeCartova.h"
#include "state/ModeStatus.h"
#include "state/ModeTimeManager.h"
#include "wave/WaveImageManager.h"
#include "wave/WaveScrollView.h"
#include "wave/WaveView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

TEST(WaveConcurrency, ViewDrawsWhileTheWorkerAppendsToAGrowingRecording)
{
    ResetFake();
    ModeTimeManager::sharedInstance().setStatus(ModeStatusRecording);
    WaveImageManager images(44100);
    WaveScrollView scroll;
    auto* view = new WaveView;
    scroll.resize(924, 359);
    scroll.setWidget(view);
    view->setImage_mng(&images);
    view->reset();

    // 200 zoom columns of 0.1 s, a whole number of wide columns (2 s): nothing is left
    // over for the last pass, so the counts below do not depend on the interleaving.
    constexpr int kBlocks = 200;
    constexpr size_t kFramesPerBlock = 4410;
    std::atomic<bool> fed{false};
    images.startWaveGenerate();
    std::thread feeder([&] {
        for (int b = 0; b < kBlocks; ++b) {
            std::vector<int16_t> block(kFramesPerBlock * 2);
            for (size_t i = 0; i < block.size(); ++i)
                block[i] = static_cast<int16_t>((i % 2 ? -1 : 1) * (b * 100 % 30000));
            FakePreview().append(block);
            std::this_thread::yield();
        }
        fed.store(true);
    });

    QElapsedTimer timer;
    timer.start();
    int paints = 0;
    while ((!fed.load() || paints < 3) && timer.elapsed() < 120000) {
        QCoreApplication::processEvents();
        view->grab(QRect(0, 0, 924, 359));
        ++paints;
    }
    feeder.join();
    images.stopWaveGenerate();
    while (images.isGenerating() && timer.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();

    ASSERT_FALSE(images.isGenerating());
    EXPECT_EQ(images.zoomPeaks(0)->length(), static_cast<uint32_t>(kBlocks));
    EXPECT_EQ(images.zoomPeaks(1)->length(), static_cast<uint32_t>(kBlocks));
    EXPECT_EQ(images.widePeaks(0)->length(), static_cast<uint32_t>(kBlocks / 20));
    EXPECT_EQ(ModeTimeManager::sharedInstance().currentPixel(), kBlocks);
    EXPECT_FLOAT_EQ(images.zoomPeaks(0)->at(199).maximum, (199 * 100 % 30000) / 32767.0f);
    ResetFake();
    ModeTimeManager::sharedInstance().setStatus(ModeStatusReady);
}
