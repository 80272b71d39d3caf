// Waveform costs: painting the visible area of a 1-minute and a 100-minute recording (it
// must not grow with the length), and building the peaks of a 100-minute DSD256 recording
// (reported as recording length / build time).
#include "state/ModeStatus.h"
#include "state/ModeTimeManager.h"
#include "wave/PreviewSource.h"
#include "wave/WaveImageManager.h"
#include "wave/WaveScrollView.h"
#include "wave/WaveView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A preview stream of a given length whose frames repeat one second of pseudo-random
// music-like values; reading it costs a copy, as reading the framework's preview does.
class SyntheticPreview : public PreviewSource {
public:
    SyntheticPreview(uint64_t frames, uint32_t rate) : m_frames(frames), m_block(static_cast<size_t>(rate) * 2)
    {
        uint32_t x = 12345;
        for (size_t i = 0; i < m_block.size(); ++i) {
            x = x * 1664525u + 1013904223u;
            const double envelope = 0.2 + 0.8 * static_cast<double>(i % 20000) / 20000.0;
            m_block[i] = static_cast<int16_t>(static_cast<int16_t>(x >> 16) * envelope * 0.6);
        }
    }
    bool GetPreviewDataLength(uint64_t& frames) override
    {
        frames = m_frames;
        return true;
    }
    bool GetPreviewDataFrom(uint64_t from, uint64_t to, int16_t* buffer, size_t bufferValues) override
    {
        if (to < from || to > m_frames || bufferValues < (to - from) * 2)
            return false;
        const size_t blockFrames = m_block.size() / 2;
        while (from < to) {
            const size_t at = static_cast<size_t>(from % blockFrames);
            const size_t n = static_cast<size_t>(std::min<uint64_t>(to - from, blockFrames - at));
            std::memcpy(buffer, m_block.data() + at * 2, n * 2 * sizeof(int16_t));
            buffer += n * 2;
            from += n;
        }
        return true;
    }

private:
    uint64_t m_frames;
    std::vector<int16_t> m_block;
};

void BuildPeaks(WaveImageManager& images)
{
    images.startWaveGenerate();
    images.stopWaveGenerate(); // the last pass reads everything available
    while (images.isGenerating())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

void BM_PaintVisibleArea(benchmark::State& state)
{
    const double seconds = static_cast<double>(state.range(0)) * 60.0;
    const bool zoom = state.range(1) != 0;
    constexpr uint32_t kRate = 44100;
    WaveImageManager images(kRate, nullptr,
                            std::make_unique<SyntheticPreview>(static_cast<uint64_t>(seconds * kRate), kRate));
    WaveScrollView scroll;
    auto* view = new WaveView;
    scroll.resize(924, 359 + scroll.horizontalScrollBar()->sizeHint().height());
    scroll.setWidget(view);
    view->setImage_mng(&images);
    view->reset();
    BuildPeaks(images);

    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    mtm.setTotalTime(seconds);
    mtm.setStatus(ModeStatusEditStopped);
    view->setIsZoom(zoom);
    QCoreApplication::processEvents();
    mtm.setCurrentTime(seconds / 2.0);
    QCoreApplication::processEvents();

    const int visibleX = scroll.horizontalScrollBar()->value();
    const QRect visible(visibleX, 0, 924, 359);
    QImage target(visible.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view->render(&target, QPoint(), QRegion(visible), QWidget::DrawChildren);
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["zoom_columns"] = static_cast<double>(images.zoomPeaks(0)->length());
    mtm.setStatus(ModeStatusReady);
    mtm.setTotalTime(0.0);
    mtm.setCurrentTime(0.0);
}
BENCHMARK(BM_PaintVisibleArea)
    ->ArgNames({"minutes", "zoom"})
    ->Args({1, 1})
    ->Args({100, 1})
    ->Args({1, 0})
    ->Args({100, 0})
    ->Unit(benchmark::kMicrosecond);

void BM_BuildPeaksDsd256(benchmark::State& state)
{
    constexpr uint32_t kPreviewRate = 11289600 / 64; // DSD256 preview frames per second
    const double seconds = static_cast<double>(state.range(0)) * 60.0;
    double elapsed = 0.0;
    for (auto _ : state) {
        WaveImageManager images(kPreviewRate, nullptr,
                                std::make_unique<SyntheticPreview>(static_cast<uint64_t>(seconds * kPreviewRate),
                                                                   kPreviewRate));
        images.setAmplification(kDsdPeakAmplification);
        images.createImageWithView(nullptr, 3000, 60000, 23, 20);
        const auto start = std::chrono::steady_clock::now();
        BuildPeaks(images);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        elapsed = took.count();
        state.SetIterationTime(elapsed);
        benchmark::DoNotOptimize(images.getMaximumSample());
    }
    state.counters["realtime_ratio"] = seconds / elapsed;
}
BENCHMARK(BM_BuildPeaksDsd256)->ArgName("minutes")->Arg(100)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
