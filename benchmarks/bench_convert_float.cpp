// Speed of the float-to-integer converters that WAV writing and the PCM
// preview use, in samples per second.
#include "convert/SampleConverters.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace {

constexpr size_t kSamples = 1 << 16;

std::vector<float> Signal()
{
    std::vector<float> samples(kSamples);
    for (size_t i = 0; i < kSamples; ++i) {
        samples[i] = 0.9f * std::sin(static_cast<float>(i) * 0.01f);
    }
    return samples;
}

template <void (*convert)(void*, const void*, uint64_t), size_t outBytes>
void BM_Convert(benchmark::State& state)
{
    const std::vector<float> in = Signal();
    std::vector<uint8_t> out(kSamples * outBytes);
    for (auto _ : state) {
        convert(out.data(), in.data(), kSamples);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kSamples));
}

} // namespace

BENCHMARK(BM_Convert<&Float32_To_Int16LSB<false>, 2>)->Name("Float32_To_Int16LSB");
BENCHMARK(BM_Convert<&Float32_To_Int24LSB<false>, 3>)->Name("Float32_To_Int24LSB");
BENCHMARK(BM_Convert<&Float32_To_Int32LSB<false>, 4>)->Name("Float32_To_Int32LSB");

BENCHMARK_MAIN();
