// WAV writing throughput: SaveWavFile on a stereo 96 kHz 24-bit track with
// gain, beside a plain sequential write of the same number of bytes to the
// same folder. Reports MB/s of output for both, their ratio and the
// machine's core count.
#include "BenchSaveStandIns.h"
#include "save/SaveVolumeChecks.h"
#include "save/SaveWavFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr uint64_t kRate = 96000;
constexpr uint16_t kChannels = 2;
constexpr double kSeconds = 30.0;

struct Fixture : BenchRecording {
    Fixture() : BenchRecording(kChannels, kRate) {
        const uint64_t frames = static_cast<uint64_t>(kRate * kSeconds);
        std::vector<uint8_t> block(9600 * 4);
        for (uint64_t at = 0; at < frames; at += 9600) {
            for (uint16_t c = 0; c < kChannels; ++c) {
                for (size_t i = 0; i < 9600; ++i) {
                    const float v = 0.7f * std::sin(0.01f * static_cast<float>(at + i) + c);
                    std::memcpy(&block[i * 4], &v, 4);
                }
                data.Add(c, block);
            }
        }
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

uint64_t OutputBytes() { return static_cast<uint64_t>(kRate * kSeconds) * kChannels * 3 + 44; }

double WriteWavSeconds(Fixture& f) {
    BenchHost host(&f.data);
    TkSaveSettingInternal job;
    job.path = f.dir + "/track.wav";
    job.end = kSeconds;
    job.gain = 3.0;
    job.tags = {{"Title", "Benchmark"}};
    const auto t0 = std::chrono::steady_clock::now();
    SaveWavFile(host, &job, 24);
    const auto t1 = std::chrono::steady_clock::now();
    std::filesystem::remove(job.path);
    return std::chrono::duration<double>(t1 - t0).count();
}

double PlainWriteSeconds(Fixture& f) {
    const std::string path = f.dir + "/plain.bin";
    std::vector<uint8_t> block(kRate / 10 * kChannels * 3, 0x5A);
    uint64_t left = OutputBytes();
    const auto t0 = std::chrono::steady_clock::now();
    FILE* file = fopen(path.c_str(), "wb");
    setvbuf(file, nullptr, _IOFBF, 1048576);
    while (left > 0) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
        fwrite(block.data(), 1, n, file);
        left -= n;
    }
    fclose(file);
    const auto t1 = std::chrono::steady_clock::now();
    std::filesystem::remove(path);
    return std::chrono::duration<double>(t1 - t0).count();
}

void SetRate(benchmark::State& state, double seconds) {
    state.SetIterationTime(seconds);
}

void BM_SaveWav(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) SetRate(state, WriteWavSeconds(f));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * OutputBytes()));
}

void BM_PlainWrite(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) SetRate(state, PlainWriteSeconds(f));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * OutputBytes()));
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Both in one benchmark, alternating, so the ratio sees the same disk state;
// the ratio is that of the medians, so one write delayed by the kernel's
// writeback does not decide it.
void BM_SaveWavToPlainRatio(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<double> wav, plain;
    for (auto _ : state) {
        const double w = WriteWavSeconds(f);
        const double p = PlainWriteSeconds(f);
        wav.push_back(w);
        plain.push_back(p);
        state.SetIterationTime(w + p);
    }
    const double mb = static_cast<double>(OutputBytes()) / 1e6;
    state.counters["wav_MBps"] = mb / Median(wav);
    state.counters["plain_MBps"] = mb / Median(plain);
    state.counters["ratio"] = Median(plain) / Median(wav); // goal: at least 0.8
    state.counters["cores"] = static_cast<double>(std::thread::hardware_concurrency());
}

} // namespace

BENCHMARK(BM_SaveWav)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PlainWrite)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveWavToPlainRatio)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK_MAIN();
