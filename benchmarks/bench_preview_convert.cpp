// Preview conversion speed for stereo DSD64, DSD128 and DSD256: one second
// of captured one-bit data per channel is stored (untimed), then converted
// to the 16-bit preview through the conversion passes (timed). The counter
// "x_realtime" is seconds of audio converted per second of CPU time on one
// core; the goal is at least 70 at DSD256 and 250 at DSD64. "cores" is the
// machine's core count.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "convert/SampleTypeInfo.h"
#include "preview/PreviewConversion.h"
#include "preview/PreviewData.h"
#include "storage/RecordData.h"
#include "storage/RecordRangeManager.h"

namespace {

constexpr uint16_t kChannels = 2;

void PreviewConvertDsd(benchmark::State& state)
{
    const uint64_t bitRate = static_cast<uint64_t>(state.range(0));
    const uint64_t bytesPerSecond = bitRate / 8;

    std::mt19937 random(12345);
    std::vector<uint8_t> second(bytesPerSecond);
    for (uint8_t& byte : second) {
        byte = static_cast<uint8_t>(random());
    }

    // No start event: everything stays in the live streams, nothing goes to disk.
    RecordRangeManager ranges;
    RecordData record;
    PreviewData preview;
    if (record.Init(kChannels, bitRate, GetSampleTypeInfo(kSampleTypeDsd), &ranges) != TkErrorSuccess ||
        preview.Init(kChannels, bitRate / 64, &ranges) != TkErrorSuccess) {
        state.SkipWithError("record or preview store could not be initialised");
        return;
    }
    PreviewConversion conversion;
    if (conversion.Prepare(&record, &preview) != TkErrorSuccess) {
        state.SkipWithError("conversion could not be prepared");
        return;
    }

    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (uint16_t c = 0; c < kChannels; ++c) {
            record.Add(c, second);
        }
        state.ResumeTiming();
        while (conversion.ConvertPass() != 0) {
        }
        seconds += 1.0;
    }
    state.counters["x_realtime"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
    state.counters["cores"] = static_cast<double>(std::thread::hardware_concurrency());
    state.counters["preview_frames"] = static_cast<double>(preview.GetLength(false));
}

}  // namespace

BENCHMARK(PreviewConvertDsd)->Name("PreviewConvert/DSD64")->Arg(2822400)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewConvertDsd)->Name("PreviewConvert/DSD128")->Arg(5644800)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewConvertDsd)->Name("PreviewConvert/DSD256")->Arg(11289600)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
