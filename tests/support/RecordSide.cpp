// Generated record sides; see RecordSide.h.
#include "support/RecordSide.h"

#include "convert/DsdToPcm.h"
#include "device/DeltaSigmaModulator.h"
#include "preview/LevelEnvelope.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

namespace {

double FromDb(double dB) { return std::pow(10.0, dB / 20.0); }

// Overlapping notes of three harmonics with a 10 ms attack and an
// exponential decay, a new one every `interval` seconds, at most four
// sounding; the oscillators are rotating phasors. RMS about 1.
class Notes {
public:
    Notes(double rate, std::mt19937& random) : m_rate(rate), m_random(random) {}

    double Next()
    {
        if (m_sinceNote <= 0.0) {
            Start();
        }
        m_sinceNote -= 1.0 / m_rate;
        double sum = 0.0;
        for (Note& note : m_notes) {
            const double attack = std::min(1.0, note.age / (0.01 * m_rate));
            ++note.age;
            note.amplitude *= note.decay;
            for (size_t h = 0; h < 3; ++h) {
                const double c = note.cos[h] * note.stepCos[h] - note.sin[h] * note.stepSin[h];
                note.sin[h] = note.sin[h] * note.stepCos[h] + note.cos[h] * note.stepSin[h];
                note.cos[h] = c;
                sum += attack * note.amplitude * note.sin[h] / static_cast<double>(1u << h);
            }
        }
        return 1.1 * sum;
    }

private:
    struct Note {
        double age = 0.0;
        double amplitude = 1.0;
        double decay = 1.0;
        std::array<double, 3> cos{1.0, 1.0, 1.0}, sin{}, stepCos{}, stepSin{};
    };

    void Start()
    {
        std::uniform_int_distribution<int> semitone(0, 36);
        std::uniform_real_distribution<double> uniform(0.0, 1.0);
        if (m_notes.size() == 4) {
            m_notes.erase(m_notes.begin());
        }
        Note note;
        const double frequency = 110.0 * std::pow(2.0, semitone(m_random) / 12.0);
        note.decay = std::exp(-1.0 / ((0.3 + 0.5 * uniform(m_random)) * m_rate));
        for (size_t h = 0; h < 3; ++h) {
            const double step = 2.0 * std::numbers::pi * frequency * static_cast<double>(h + 1) / m_rate;
            note.stepCos[h] = std::cos(step);
            note.stepSin[h] = std::sin(step);
        }
        m_notes.push_back(note);
        m_sinceNote = 0.12 + 0.18 * uniform(m_random);
    }

    double m_rate;
    std::mt19937& m_random;
    double m_sinceNote = 0.0;
    std::vector<Note> m_notes;
};

// Where things happen, in seconds.
struct Timeline {
    std::vector<std::pair<double, double>> tracks; // music [start, end)
    double needleDown = 0.0;
    double needleUp = 0.0;
    double total = 0.0;
};

Timeline Lay(const SidePlan& plan)
{
    Timeline line;
    line.needleDown = plan.leadInSeconds;
    double t = plan.leadInSeconds + plan.leadInGrooveSeconds;
    for (size_t i = 0; i < plan.trackSeconds.size(); ++i) {
        line.tracks.emplace_back(t, t + plan.trackSeconds[i]);
        t += plan.trackSeconds[i];
        if (i + 1 < plan.trackSeconds.size() && !plan.continuousMusic) {
            t += plan.gapSeconds.at(i);
        }
    }
    line.needleUp = t + plan.runOutGrooveSeconds;
    line.total = line.needleUp + plan.runOutSeconds;
    return line;
}

// The music's amplitude at `seconds` (0 outside the tracks).
double MusicLevel(const SidePlan& plan, const Timeline& line, double seconds, const std::vector<double>& trackDb)
{
    for (size_t i = 0; i < line.tracks.size(); ++i) {
        const auto [start, end] = line.tracks[i];
        if (plan.noMusic || seconds < start || seconds >= end) {
            continue;
        }
        const double into = seconds - start;
        const double length = end - start;
        double level = FromDb(trackDb[i]);
        if (length >= 12.0 && into >= 0.4 * length && into < 0.4 * length + plan.quietPassageSeconds) {
            level *= FromDb(-plan.quietPassageBelowDb);
        }
        if (!plan.continuousMusic && end - seconds < plan.fadeOutSeconds) {
            level *= (end - seconds) / plan.fadeOutSeconds;
        }
        return level;
    }
    return 0.0;
}

// Both channels at `rate`: the same music, noise of their own.
std::array<std::vector<float>, 2> Render(const SidePlan& plan, double rate, SideTruth& truth)
{
    const Timeline line = Lay(plan);
    truth.needleDown = line.needleDown;
    truth.needleUp = line.needleUp;
    for (const auto& [start, end] : line.tracks) {
        if (!plan.noMusic) {
            truth.trackStarts.push_back(start);
            truth.trackEnds.push_back(end);
        }
    }
    std::mt19937 random(plan.seed);
    std::normal_distribution<double> gaussian(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<double> trackDb;
    for (size_t i = 0; i < line.tracks.size(); ++i) {
        trackDb.push_back(plan.musicDb - 4.0 + 8.0 * uniform(random));
    }
    Notes notes(rate, random);
    const double groove = FromDb(plan.grooveDb);
    const double electrical = FromDb(plan.grooveDb - plan.electricalBelowGrooveDb);
    const auto frames = static_cast<size_t>(line.total * rate);
    std::array<std::vector<float>, 2> out{std::vector<float>(frames), std::vector<float>(frames)};
    double nextTick = 0.0;
    double tickAt = -1.0;
    double tickAmplitude = 0.0;
    for (size_t frame = 0; frame < frames; ++frame) {
        const double t = static_cast<double>(frame) / rate;
        const double music = MusicLevel(plan, line, t, trackDb) * notes.Next();
        const bool onRecord = t >= line.needleDown && t < line.needleUp;
        double shared = music;
        if (onRecord) {
            // Crackle: ticks at Poisson times, 20 to 35 dB above the groove
            // noise, decaying in half a millisecond; the run-out groove's
            // click once a turn (1.8 s at 33 1/3).
            if (t >= nextTick) {
                tickAt = t;
                tickAmplitude = groove * FromDb(20.0 + 15.0 * uniform(random));
                nextTick = t - std::log(1.0 - uniform(random)) / plan.cracklePerSecond;
            }
            const double endOfMusic = line.tracks.back().second;
            if (t > endOfMusic && std::fmod(t - endOfMusic, 1.8) < 1.0 / rate) {
                tickAt = t;
                tickAmplitude = groove * FromDb(30.0);
            }
            const double since = t - tickAt;
            if (since < 0.002) {
                shared += tickAmplitude * std::exp(-since / 0.0005) * (frame % 2 == 0 ? 1.0 : -1.0);
            }
            // The thump of the needle dropping and of the arm lifting.
            const double sinceDrop = t - line.needleDown;
            if (sinceDrop < 0.06) {
                shared += 0.1 * std::exp(-sinceDrop / 0.015) * std::sin(2.0 * std::numbers::pi * 30.0 * sinceDrop);
            }
        } else {
            const double sinceLift = t - line.needleUp;
            if (sinceLift >= 0.0 && sinceLift < 0.04) {
                shared += 0.05 * std::exp(-sinceLift / 0.01) * std::sin(2.0 * std::numbers::pi * 30.0 * sinceLift);
            }
        }
        const bool silent =
            t < line.needleDown ? plan.silentLeadIn || t < plan.silentStartSeconds : plan.silentRunOut;
        for (size_t c = 0; c < 2; ++c) {
            double noise = 0.0;
            if (onRecord) {
                noise = groove * gaussian(random);
            } else if (!silent) {
                noise = electrical * (0.7 * gaussian(random) + std::sin(2.0 * std::numbers::pi * 50.0 * t));
            }
            out[c][frame] = static_cast<float>(std::clamp(shared + noise, -1.0, 1.0));
        }
    }
    return out;
}

std::vector<int16_t> PcmPreview(const std::array<std::vector<float>, 2>& channels)
{
    std::vector<int16_t> preview(2 * channels[0].size());
    for (size_t i = 0; i < channels[0].size(); ++i) {
        for (size_t c = 0; c < 2; ++c) {
            preview[2 * i + c] = static_cast<int16_t>(std::lround(channels[c][i] * 32767.0f));
        }
    }
    return preview;
}

// The one-bit stream at 64 times the preview rate: four 16-bit words per
// preview frame, linearly interpolated, at half scale as the simulated
// turntable modulates; then the engine's preview decimator per channel.
std::vector<int16_t> DsdPreview(const std::array<std::vector<float>, 2>& channels)
{
    const size_t frames = channels[0].size();
    std::array<std::vector<uint8_t>, 2> bytes{std::vector<uint8_t>(8 * frames), std::vector<uint8_t>(8 * frames)};
    DeltaSigmaModulator modulator;
    std::array<float, 2> previous{};
    std::array<uint16_t, 2> bits{};
    for (size_t i = 0; i < frames; ++i) {
        const std::array<float, 2> from = previous;
        const std::array<float, 2> to{0.5f * channels[0][i], 0.5f * channels[1][i]};
        for (size_t w = 1; w <= 4; ++w) {
            const float f = static_cast<float>(w) / 4.0f;
            const std::array<float, 2> target{from[0] + (to[0] - from[0]) * f, from[1] + (to[1] - from[1]) * f};
            modulator.StepWord(previous, target, bits);
            previous = target;
            for (size_t c = 0; c < 2; ++c) {
                bytes[c][8 * i + 2 * (w - 1)] = static_cast<uint8_t>(bits[c] >> 8);
                bytes[c][8 * i + 2 * (w - 1) + 1] = static_cast<uint8_t>(bits[c] & 0xFF);
            }
        }
    }
    std::vector<int16_t> preview(2 * frames);
    std::vector<int16_t> channel(frames);
    for (size_t c = 0; c < 2; ++c) {
        DsdToPcmWorkBuffer work{};
        DSD_To_Int16LSB<true>(channel.data(), bytes[c].data(), frames, &work);
        for (size_t i = 0; i < frames; ++i) {
            preview[2 * i + c] = channel[i];
        }
    }
    return preview;
}

} // namespace

RecordSide MakeRecordSide(const SidePlan& plan)
{
    RecordSide side;
    side.rate = plan.previewRate;
    const auto channels = Render(plan, plan.previewRate, side.truth);
    side.preview = plan.format == SideFormat::Dsd ? DsdPreview(channels) : PcmPreview(channels);
    return side;
}

SidePlan ShortSidePlan()
{
    SidePlan plan;
    plan.leadInSeconds = 3.0;
    plan.leadInGrooveSeconds = 1.0;
    plan.trackSeconds = {5.0, 4.0, 5.0};
    plan.gapSeconds = {1.5, 2.5};
    plan.runOutGrooveSeconds = 1.5;
    plan.runOutSeconds = 3.0;
    plan.fadeOutSeconds = 1.0;
    return plan;
}

SidePlan VariedSidePlan(uint32_t seed, uint32_t previewRate)
{
    std::mt19937 random(seed * 7919u + 13u);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const auto between = [&](double low, double high) { return low + (high - low) * uniform(random); };
    SidePlan plan;
    plan.seed = seed;
    plan.previewRate = previewRate;
    plan.format = uniform(random) < 0.25 ? SideFormat::Dsd : SideFormat::Pcm;
    const auto tracks = static_cast<size_t>(3 + std::min(9.0, std::floor(10.0 * uniform(random))));
    plan.trackSeconds.clear();
    plan.gapSeconds.clear();
    double total = 0.0;
    for (size_t i = 0; i < tracks; ++i) {
        // Log-uniform from 10 s to 8 minutes.
        plan.trackSeconds.push_back(10.0 * std::pow(48.0, uniform(random)));
        total += plan.trackSeconds.back();
        if (i + 1 < tracks) {
            plan.gapSeconds.push_back(between(0.8, 4.0));
        }
    }
    if (total > 1800.0) {
        for (double& seconds : plan.trackSeconds) {
            seconds = std::max(10.0, seconds * 1800.0 / total);
        }
    }
    plan.leadInSeconds = between(2.0, 20.0);
    plan.runOutSeconds = between(2.0, 20.0);
    plan.silentLeadIn = uniform(random) < 0.2;
    plan.silentRunOut = uniform(random) < 0.25;
    plan.leadInGrooveSeconds = between(0.5, 3.0);
    plan.runOutGrooveSeconds = between(1.0, 10.0);
    plan.grooveDb = between(-66.0, -50.0);
    plan.musicDb = std::max(between(-26.0, -12.0), plan.grooveDb + 30.0);
    plan.electricalBelowGrooveDb = between(20.0, 30.0);
    plan.cracklePerSecond = between(2.0, 20.0);
    // Quiet passages from 15 dB below the music down to 14 dB above the groove.
    const double deepest = plan.musicDb - plan.grooveDb - 14.0;
    plan.quietPassageBelowDb = between(15.0, std::max(15.0, deepest));
    plan.quietPassageSeconds = between(2.0, 6.0);
    plan.fadeOutSeconds = between(0.5, 3.0);
    return plan;
}

std::vector<float> SideLevels(const RecordSide& side)
{
    LevelEnvelope envelope(std::max<uint32_t>(1, side.rate / 100), 2);
    envelope.Add(side.preview.data(), side.preview.size() / 2);
    envelope.Finish();
    return envelope.LevelsDb();
}

SourceSignal SideSignal(const SidePlan& plan, uint32_t rate, SideTruth& truth)
{
    truth = SideTruth{};
    const auto channels = Render(plan, rate, truth);
    return MakeSignal(rate, channels[0].size(),
                      [&](uint64_t frame, int channel) { return static_cast<double>(channels[channel][frame]); });
}
