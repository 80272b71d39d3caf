// FLAC writing beside the flac command-line encoder: three tracks of 20 s of
// music-like stereo samples (from a float recording held in temporary files)
// written one after the other, as the save thread writes them, by
// SaveFlacFile at level 5, and the same samples (the WAV files SaveWavFile
// writes for the same jobs) encoded by `flac -5`, one file after the other.
// The process is pinned to one core, and the encoder it starts inherits
// that. Reports the medians of both times, their ratio (flac's time over
// ours: goal at least 0.9) and the sizes of all tracks (ours over flac's:
// goal within 1 %), at 44.1 kHz/16-bit and 96 kHz/24-bit.
#include "BenchSaveStandIns.h"
#include "save/SaveFlacFile.h"
#include "save/SaveWavFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <sched.h>
#include <string>
#include <vector>

namespace {

constexpr uint16_t kChannels = 2;
constexpr int kTracks = 3;
constexpr double kTrackSeconds = 20.0;

// Partials with a slow vibrato under an envelope per note, a quieter
// second voice, and low-passed noise like a record's surface; the right
// channel mixes the voices differently, so the channels correlate as a
// stereo recording's do.
class MusicLikeSignal {
public:
    explicit MusicLikeSignal(double rate) : m_rate(rate) {}

    float Next(unsigned channel) {
        if (channel == 0) Advance();
        return static_cast<float>(channel == 0 ? 0.7 * m_voice1 + 0.3 * m_voice2 + m_noise[0]
                                               : 0.4 * m_voice1 + 0.6 * m_voice2 + m_noise[1]);
    }

private:
    void Advance() {
        const double t = m_frame++ / m_rate;
        const double note = std::floor(t * 2.0);
        const double envelope = std::exp(-3.0 * (t * 2.0 - note));
        const double base = 110.0 * std::pow(2.0, std::fmod(note * 5.0, 24.0) / 12.0);
        m_voice1 = 0.0;
        for (int k = 1; k <= 6; ++k) {
            m_phase[k - 1] += 2.0 * M_PI * base * k * (1.0 + 0.003 * std::sin(2.0 * M_PI * 5.0 * t)) / m_rate;
            m_voice1 += envelope * 0.25 / k * std::sin(m_phase[k - 1]);
        }
        m_phase[6] += 2.0 * M_PI * base * 1.5 / m_rate;
        m_voice2 = 0.2 * std::sin(m_phase[6]) * (0.5 + 0.5 * std::sin(2.0 * M_PI * 0.3 * t));
        for (double& n : m_noise) {
            m_random ^= m_random << 13;
            m_random ^= m_random >> 7;
            m_random ^= m_random << 17;
            const double white = static_cast<double>(static_cast<int64_t>(m_random)) / 9.2e18;
            n = 0.9 * n + 0.1 * 0.02 * white;
        }
    }

    double m_rate;
    uint64_t m_frame = 0;
    double m_phase[7] = {};
    double m_voice1 = 0.0, m_voice2 = 0.0;
    double m_noise[2] = {};
    uint64_t m_random = 0x9E3779B97F4A7C15ull;
};

struct Fixture : BenchRecording {
    explicit Fixture(uint32_t rate) : BenchRecording(kChannels, rate) {
        MusicLikeSignal signal(rate);
        const uint64_t frames = static_cast<uint64_t>(rate * kTrackSeconds * kTracks);
        const size_t block = rate / 10;
        std::vector<std::vector<uint8_t>> bytes(kChannels, std::vector<uint8_t>(block * 4));
        for (uint64_t at = 0; at < frames; at += block) {
            for (size_t i = 0; i < block; ++i) {
                for (uint16_t c = 0; c < kChannels; ++c) {
                    const float v = signal.Next(c);
                    std::memcpy(&bytes[c][i * 4], &v, 4);
                }
            }
            for (uint16_t c = 0; c < kChannels; ++c) data.Add(c, bytes[c]);
        }
    }

    TkSaveSettingInternal Job(int track, const char* extension) const {
        TkSaveSettingInternal job;
        job.path = dir + "/track" + std::to_string(track) + "." + extension;
        job.start = track * kTrackSeconds;
        job.end = (track + 1) * kTrackSeconds;
        job.gain = 3.0;
        job.tags = {{"Title", "Benchmark"}, {"Alubum", "Benchmarks"}};
        job.pcmFormat = PcmFileFormat::Flac;
        return job;
    }
};

Fixture& Shared(uint32_t rate) {
    static std::map<uint32_t, std::unique_ptr<Fixture>> fixtures;
    auto& fixture = fixtures[rate];
    if (fixture == nullptr) fixture = std::make_unique<Fixture>(rate);
    return *fixture;
}

// Keeps this process, and what it starts, on the first core it may use.
void PinToOneCore() {
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &allowed)) {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(cpu, &one);
            sched_setaffinity(0, sizeof one, &one);
            return;
        }
    }
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

uint64_t Size(const std::string& path) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    return ec ? 0 : size;
}

// Our tracks, one after the other; returns the seconds and the bytes written.
double WriteOurs(Fixture& f, uint16_t bits, uint64_t& bytes) {
    BenchHost host(&f.data);
    bytes = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int track = 0; track < kTracks; ++track) {
        const TkSaveSettingInternal job = f.Job(track, "flac");
        SaveFlacFile(host, &job, bits);
    }
    const double seconds = Seconds(t0);
    for (int track = 0; track < kTracks; ++track) bytes += Size(f.Job(track, "flac").path);
    return seconds;
}

// flac -5 on the WAV files of the same tracks, one after the other.
double WriteWithFlac(Fixture& f, uint64_t& bytes, bool& failed) {
    bytes = 0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int track = 0; track < kTracks; ++track) {
        const std::string wav = f.Job(track, "wav").path;
        const std::string command = "flac -5 -f -s -o '" + wav + ".flac' '" + wav + "' 2>/dev/null";
        failed = failed || std::system(command.c_str()) != 0;
    }
    const double seconds = Seconds(t0);
    for (int track = 0; track < kTracks; ++track) bytes += Size(f.Job(track, "wav").path + ".flac");
    return seconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Both writers alternating, so that both see the same page cache and load.
void BM_SaveFlacBesideFlacEncoder(benchmark::State& state) {
    PinToOneCore();
    const auto rate = static_cast<uint32_t>(state.range(0));
    const auto bits = static_cast<uint16_t>(state.range(1));
    Fixture& f = Shared(rate);
    BenchHost host(&f.data);
    for (int track = 0; track < kTracks; ++track) {
        const TkSaveSettingInternal job = f.Job(track, "wav");
        SaveWavFile(host, &job, bits);
    }
    std::vector<double> ours, theirs;
    uint64_t ourBytes = 0, theirBytes = 0;
    bool failed = false;
    for (auto _ : state) {
        const double o = WriteOurs(f, bits, ourBytes);
        const double t = WriteWithFlac(f, theirBytes, failed);
        ours.push_back(o);
        theirs.push_back(t);
        state.SetIterationTime(o + t);
    }
    if (failed) {
        state.SkipWithError("the flac encoder did not run");
        return;
    }
    const double audioSeconds = kTracks * kTrackSeconds;
    state.counters["ours_x_realtime"] = audioSeconds / Median(ours);
    state.counters["flac_x_realtime"] = audioSeconds / Median(theirs);
    state.counters["ratio"] = Median(theirs) / Median(ours); // goal: at least 0.9
    state.counters["size_ratio"] = static_cast<double>(ourBytes) / static_cast<double>(theirBytes); // goal: within 1 %
    state.counters["cores"] = 1;
}

} // namespace

BENCHMARK(BM_SaveFlacBesideFlacEncoder)
    ->Args({44100, 16})
    ->Args({96000, 24})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);
BENCHMARK_MAIN();
