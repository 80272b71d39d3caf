// Worn records whose damage is known: music-like signal (notes of harmonic
// partials with attack and decay, several at a time, panned) over a noise
// floor, with clicks (0.02-1 ms: a jagged impulse and the ring it leaves,
// -32 to -8 dBFS), pops (2-5 ms: trains of impacts over a low thump, -12 to
// -2 dBFS) and
// crackle ticks (0.01-0.06 ms, -40 to -26 dBFS) added at random times. Events are
// drawn in seconds and milliseconds before anything is rendered, so one
// seed gives the same music and the same damage at every rate. A scorer
// compares a repair against the clean signal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class DamageKind { Click, Pop, Crackle };

struct DamagePlan {
    uint32_t rate = 96000;
    double seconds = 10.0;
    uint16_t channels = 2;
    double clicksPerSecond = 8.0;
    double popsPerSecond = 0.5;
    double cracklePerSecond = 40.0;
    double musicDb = -18.0; // RMS of the music, dBFS
    double noiseDb = -60.0; // RMS of the noise floor, dBFS
    uint32_t seed = 1;
};

// One damage event. Per channel, its place is where the damage is above a
// quarter of the noise floor's RMS (below that it cannot matter).
struct DamageEvent {
    DamageKind kind = DamageKind::Click;
    double seconds = 0.0;                // when it starts
    std::vector<uint64_t> start, end;    // per channel: its place [start, end); empty when start == end
};

struct DamagedRecord {
    uint32_t rate = 0;
    std::vector<std::vector<double>> clean;   // per channel: music and noise floor
    std::vector<std::vector<double>> damaged; // per channel: clean plus damage
    std::vector<DamageEvent> events;
    double noiseRms = 0.0;

    uint64_t Frames() const { return clean.empty() ? 0 : clean[0].size(); }
};

DamagedRecord MakeDamagedRecord(const DamagePlan& plan);

// Planar samples quantised to `bits` (16 or 24) as a WAV file would hold
// them, as floats.
std::vector<std::vector<float>> Quantise(const std::vector<std::vector<double>>& planar, int bits);

// How well `output` repairs `input` (what the repair was given), measured
// against the record's clean signal.
struct RepairScore {
    double snrBeforeDb = 0.0;     // clean power over (input - clean) power
    double snrAfterDb = 0.0;      // clean power over (output - clean) power
    double clicksFixed = 0.0;     // share of clicks whose error fell by 10 dB or more
    double popsFixed = 0.0;
    double crackleFixed = 0.0;
    double untouchedChanged = 0.0; // share of samples outside every place that the repair changed
    double untouchedSnrDb = 0.0;   // input power over (output - input) power, outside every place
};

RepairScore ScoreRepair(const DamagedRecord& record, const std::vector<std::vector<float>>& input,
                        const std::vector<std::vector<float>>& output);

// WAV files of planar samples, for tools and benchmarks.
enum class WavSampleFormat { Int16, Int24, Float32 };

struct TestWav {
    uint32_t rate = 0;
    WavSampleFormat format = WavSampleFormat::Int24;
    std::vector<std::vector<float>> samples; // planar
};

// Writes a canonical WAV file, then `trailer` (whole chunks) after the data.
bool WriteTestWav(const std::string& path, const TestWav& wav, const std::vector<uint8_t>& trailer = {});
// Reads a 16/24-bit integer or 32-bit float WAV file; false when it is none.
bool ReadTestWav(const std::string& path, TestWav& wav);
