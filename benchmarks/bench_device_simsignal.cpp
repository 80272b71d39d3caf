// Speed of the simulated turntable's signal: the demo album at a high PCM
// rate and modulated to DSD at each bit rate (one IO buffer per iteration;
// real time needs frames per second above the device rate).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "device/DemoAlbumSource.h"
#include "device/SimSignalGenerator.h"

static void BM_SimSignal(benchmark::State& state, double rate, uint32_t bits, bool dsd)
{
    SimSignalGenerator generator(std::make_shared<DemoAlbumSource>(), {rate, bits, dsd});
    generator.Skip(static_cast<uint64_t>(rate)); // into the first track
    const size_t frames = 4096;
    std::vector<float> buffer(2 * frames);
    for (auto _ : state) {
        generator.Next(frames, buffer.data());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * frames));
}

BENCHMARK_CAPTURE(BM_SimSignal, pcm_384000, 384000.0, 24u, false);
BENCHMARK_CAPTURE(BM_SimSignal, dsd_2822400, 176400.0, 16u, true);
BENCHMARK_CAPTURE(BM_SimSignal, dsd_11289600, 705600.0, 16u, true);

BENCHMARK_MAIN();
