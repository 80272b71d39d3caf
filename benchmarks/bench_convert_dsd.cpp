// Speed of the DSD preview decimator for stereo DSD64, DSD128 and DSD256,
// reported as the counter "realtime": seconds of audio converted per second
// on one core (goal: at least 20 at DSD256).
#include "convert/DsdToPcm.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr int kChannels = 2;
constexpr uint64_t kOutputsPerCall = 4096; // one conversion-thread pass

void BM_DsdToInt16(benchmark::State& state)
{
    const auto bitRate = static_cast<uint64_t>(state.range(0));
    std::mt19937 rng(1);
    std::vector<uint8_t> in(kOutputsPerCall * 8);
    for (auto& b : in) {
        b = static_cast<uint8_t>(rng());
    }
    std::vector<int16_t> out(kOutputsPerCall);
    DsdToPcmWorkBuffer work[kChannels] = {};
    for (auto _ : state) {
        for (auto& channel : work) {
            DSD_To_Int16LSB<true>(out.data(), in.data(), kOutputsPerCall, &channel);
            benchmark::DoNotOptimize(out.data());
        }
        benchmark::ClobberMemory();
    }
    // Each call covers kOutputsPerCall x 64 one-bit samples of one channel.
    const double audioSeconds = static_cast<double>(kOutputsPerCall * 64) / static_cast<double>(bitRate);
    state.counters["realtime"] = benchmark::Counter(audioSeconds * static_cast<double>(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_DsdToInt16)->Name("DSD64_stereo")->Arg(2822400);
BENCHMARK(BM_DsdToInt16)->Name("DSD128_stereo")->Arg(5644800);
BENCHMARK(BM_DsdToInt16)->Name("DSD256_stereo")->Arg(11289600);

BENCHMARK_MAIN();
