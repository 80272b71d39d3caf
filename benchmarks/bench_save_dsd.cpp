// Speed of the DSD gain re-modulation, as multiples of real time: one
// channel in the lookup and in the direct (reference) filter form, and a
// stereo track at DSD64 and DSD256 with one worker thread per channel,
// handed 4,096-byte blocks the way the DSF writer hands them over.
#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>
#include <memory>
#include <numbers>
#include <vector>

#include "save/DSDStreamProcessing.h"
#include "save/DSDStreamProcessingThread.h"
#include "save/DsdModulator.h"

namespace {

constexpr double kDsd64 = 2822400.0;
constexpr size_t kBlockBytes = 4096;

// One second of a 1 kHz tone at half scale, one-bit, LSB first per byte.
std::vector<uint8_t> ToneSecond(double rate)
{
    const size_t samples = size_t(rate);
    std::vector<uint8_t> bytes(samples / 8, 0);
    _dsm<double> state;
    for (size_t n = 0; n < samples; ++n) {
        const double x = 0.5 * std::sin(2.0 * std::numbers::pi * 1000.0 * double(n) / rate);
        if (dsm(state, x) > 0)
            bytes[n / 8] |= uint8_t(1u << (n % 8));
    }
    return bytes;
}

// x_realtime: audio seconds per wall-clock second. x_realtime_idle: the
// same from the process's CPU time, as if every channel had a core of its
// own; on a machine busy with other work it shows what the code achieves.
void SetRealTimeCounters(benchmark::State& state, double audioSecondsPerIteration, int channels,
                         std::clock_t cpuStart)
{
    const double audio = audioSecondsPerIteration * double(state.iterations());
    state.counters["x_realtime"] = benchmark::Counter(audio, benchmark::Counter::kIsRate);
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    if (cpuSeconds > 0.0)
        state.counters["x_realtime_idle"] = audio * channels / cpuSeconds;
}

void OneChannel(benchmark::State& state, DsdFilterForm form)
{
    const auto source = ToneSecond(kDsd64);
    std::vector<uint8_t> work(source.size());
    DSDStreamProcessing processing(form);
    processing.Init(int32_t(kDsd64), 1);
    processing.SetGain(3.0f);
    const std::clock_t cpuStart = std::clock();
    for (auto _ : state) {
        work = source;
        for (size_t at = 0; at < work.size(); at += kBlockBytes)
            processing.Process(work.data() + at, std::min(kBlockBytes, work.size() - at));
        benchmark::DoNotOptimize(work.data());
    }
    SetRealTimeCounters(state, 1.0, 1, cpuStart);
}

void BM_OneChannelDsd64Lookup(benchmark::State& state) { OneChannel(state, DsdFilterForm::Lookup); }
void BM_OneChannelDsd64Direct(benchmark::State& state) { OneChannel(state, DsdFilterForm::Direct); }

// A stereo track of one second at rate, processed block group by block
// group with one worker per channel.
void StereoTrack(benchmark::State& state, double rate)
{
    const auto source = ToneSecond(rate);
    std::vector<std::vector<uint8_t>> blocks(2, std::vector<uint8_t>(kBlockBytes));
    DSDStreamProcessingThread threads[2];
    for (auto& thread : threads)
        thread.Start(int32_t(rate), 1, 3.0f);
    const std::clock_t cpuStart = std::clock();
    for (auto _ : state) {
        for (size_t at = 0; at < source.size(); at += kBlockBytes) {
            const size_t n = std::min(kBlockBytes, source.size() - at);
            for (int c = 0; c < 2; ++c) {
                std::copy(source.begin() + at, source.begin() + at + n, blocks[c].begin());
                threads[c].RunProcess(blocks[c].data(), uint32_t(n));
            }
            for (auto& thread : threads)
                thread.WaitProcess();
        }
        benchmark::DoNotOptimize(blocks[0].data());
    }
    for (auto& thread : threads)
        thread.Stop();
    SetRealTimeCounters(state, 1.0, 2, cpuStart);
}

void BM_StereoTrackDsd64(benchmark::State& state) { StereoTrack(state, kDsd64); }
void BM_StereoTrackDsd256(benchmark::State& state) { StereoTrack(state, 4 * kDsd64); }

} // namespace

BENCHMARK(BM_OneChannelDsd64Lookup)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OneChannelDsd64Direct)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StereoTrackDsd64)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StereoTrackDsd256)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
