// Track-gap analysis of a 25-minute side: the preview's window levels and the
// boundary search, on one core. Reports the analysis time as a share of the
// side's length (the goal: well under 0.2 %, so the command feels instant).
#include "preview/LevelEnvelope.h"
#include "preview/TrackGapFinder.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <random>
#include <vector>

namespace {

constexpr uint32_t kRate = 44100;
constexpr double kSideSeconds = 25.0 * 60.0;

// A stereo 16-bit side: three-minute stretches of loud noise (music) with
// two-second gaps of quiet noise between them. What is measured does not
// depend on what the samples sound like, only on their count.
const std::vector<int16_t>& Side()
{
    static const std::vector<int16_t> side = [] {
        const auto frames = static_cast<size_t>(kSideSeconds * kRate);
        std::vector<int16_t> samples(frames * 2);
        std::mt19937 random(7);
        std::normal_distribution<float> gaussian(0.0f, 1.0f);
        for (size_t i = 0; i < frames; ++i) {
            const double seconds = static_cast<double>(i) / kRate;
            const bool gap = std::fmod(seconds, 182.0) >= 180.0;
            const float level = gap ? 30.0f : 4000.0f;
            samples[2 * i] = samples[2 * i + 1] = static_cast<int16_t>(level * gaussian(random));
        }
        return samples;
    }();
    return side;
}

void BM_TrackGapsOf25MinuteSide(benchmark::State& state)
{
    const std::vector<int16_t>& side = Side();
    const size_t frames = side.size() / 2;
    size_t found = 0;
    const std::clock_t cpuStart = std::clock();
    for (auto _ : state) {
        LevelEnvelope envelope(kRate / 100, 2);
        for (size_t first = 0; first < frames; first += 5 * kRate) {
            const size_t take = std::min<size_t>(5 * kRate, frames - first);
            envelope.Add(side.data() + 2 * first, take);
        }
        envelope.Finish();
        found = FindTrackBoundaries(envelope.LevelsDb(), {}).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["boundaries"] = static_cast<double>(found);
    // CPU time per analysis as a percentage of the side's length.
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    state.counters["percent_of_side"] =
        100.0 * cpuSeconds / static_cast<double>(state.iterations()) / kSideSeconds;
}
BENCHMARK(BM_TrackGapsOf25MinuteSide)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
