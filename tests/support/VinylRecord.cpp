// Generation of vinyl-like records; see VinylRecord.h.
#include "support/VinylRecord.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace {

double FromDb(double dB) { return std::pow(10.0, dB / 20.0); }

// Overlapping notes: a new note every noteSeconds, each a fundamental with
// two harmonics and an exponential decay, so the level never drops between
// notes. Returns a signal of RMS about 1.
class NoteStream {
public:
    NoteStream(uint32_t rate, std::mt19937& random) : m_rate(rate), m_random(random) {}

    double Next()
    {
        if (m_position % NoteFrames() == 0) {
            StartNote();
        }
        ++m_position;
        double sum = 0.0;
        for (Note& note : m_notes) {
            const double t = static_cast<double>(m_position - note.start) / m_rate;
            const double envelope = std::min(1.0, t / 0.01) * std::exp(-t / 0.6);
            const double phase = 2.0 * std::numbers::pi * note.frequency * t;
            sum += envelope * (std::sin(phase) + 0.5 * std::sin(2.0 * phase) +
                               0.25 * std::sin(3.0 * phase));
        }
        return sum * 0.9;
    }

private:
    struct Note {
        uint64_t start;
        double frequency;
    };

    uint64_t NoteFrames() const { return m_rate / 4; }

    void StartNote()
    {
        std::uniform_int_distribution<int> semitone(0, 36);
        if (m_notes.size() == 4) {
            m_notes.erase(m_notes.begin());
        }
        m_notes.push_back({m_position, 110.0 * std::pow(2.0, semitone(m_random) / 12.0)});
    }

    uint32_t m_rate;
    std::mt19937& m_random;
    uint64_t m_position = 0;
    std::vector<Note> m_notes;
};

} // namespace

VinylRecord MakeVinylRecord(const VinylRecordPlan& plan)
{
    VinylRecord record;
    const double rate = plan.rate;
    // Where the music plays: [start, end) of each track, in seconds.
    std::vector<std::pair<double, double>> tracks;
    double t = plan.leadInSeconds;
    for (size_t i = 0; i < plan.trackSeconds.size(); ++i) {
        tracks.emplace_back(t, t + plan.trackSeconds[i]);
        t += plan.trackSeconds[i];
        if (i + 1 < plan.trackSeconds.size()) {
            record.gapStarts.push_back(t);
            t += plan.continuousMusic ? 0.0 : plan.gapSeconds.at(i);
        }
    }
    const double total = t + plan.runOutSeconds;
    if (!plan.noiseOnly) {
        for (const auto& track : tracks) {
            record.trackStarts.push_back(track.first);
        }
    } else {
        record.gapStarts.clear();
    }

    std::mt19937 random(plan.seed);
    std::normal_distribution<double> gaussian(0.0, 1.0);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    NoteStream notes(plan.rate, random);
    const double noise = FromDb(plan.noiseDb);
    const double crackle = FromDb(plan.crackleDb);
    uint64_t nextCrackle = 0;
    uint64_t crackleStart = 0;

    const auto frames = static_cast<uint64_t>(total * rate);
    // Both channels carry the same programme: made on channel 0, repeated on 1.
    double music = 0.0;
    double surface = 0.0;
    record.signal = MakeSignal(plan.rate, frames, [&](uint64_t frame, int channel) {
        if (channel == 1) {
            return music + surface;
        }
        const double seconds = static_cast<double>(frame) / rate;
        // Surface noise on both channels, with a crackle every 0.1 to 0.6 s:
        // a 2 ms burst decaying from the crackle level.
        if (frame == nextCrackle) {
            crackleStart = frame;
            nextCrackle = frame + static_cast<uint64_t>((0.1 + 0.5 * uniform(random)) * rate);
        }
        const double sinceCrackle = static_cast<double>(frame - crackleStart) / rate;
        surface = noise * gaussian(random);
        if (frame >= crackleStart && sinceCrackle < 0.002) {
            surface += crackle * std::exp(-sinceCrackle / 0.0005) * (frame % 2 == 0 ? 1.0 : -1.0);
        }
        music = 0.0;
        const double note = notes.Next();
        for (const auto& track : tracks) {
            if (plan.noiseOnly || seconds < track.first || seconds >= track.second) {
                continue;
            }
            const double into = seconds - track.first;
            const double left = track.second - seconds;
            const double length = track.second - track.first;
            double level = FromDb(plan.musicDb);
            if (into >= length * 0.4 && into < length * 0.4 + 3.0) {
                level = FromDb(plan.quietPassageDb);
            }
            if (left < plan.fadeOutSeconds && !plan.continuousMusic) {
                level *= left / plan.fadeOutSeconds;
            }
            music = level * note;
        }
        return music + surface;
    });
    return record;
}
