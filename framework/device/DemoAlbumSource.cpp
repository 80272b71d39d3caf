// The generated demo album. A track is a sequence of bars; each bar has a
// chord (bass, two pad voices) and a melody note per beat, all drawn from a
// seeded hash of (seed, track, bar, beat), so that no state is carried
// between samples. Tracks fade in and out; the gaps between them hold only
// surface noise and clicks.
#include "device/DemoAlbumSource.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

uint64_t Mix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

uint64_t Hash(uint64_t a, uint64_t b, uint64_t c = 0, uint64_t d = 0)
{
    return Mix(Mix(Mix(Mix(a) ^ b) ^ c) ^ d);
}

// Uniform in [0, 1).
double Unit(uint64_t h) { return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0); }

double NoteFrequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

double Sine(double frequency, double seconds)
{
    const double cycles = frequency * seconds;
    return std::sin(2.0 * std::numbers::pi * (cycles - std::floor(cycles)));
}

// A plucked-note envelope: 5 ms attack, then exponential decay.
double Pluck(double age, double decayPerSecond)
{
    if (age < 0) {
        return 0;
    }
    const double attack = std::min(1.0, age / 0.005);
    return attack * std::exp(-decayPerSecond * age);
}

constexpr int kMajorScale[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kProgression[4][4] = {{0, 5, 3, 4}, {0, 3, 4, 4}, {5, 3, 0, 4}, {0, 4, 5, 3}};
constexpr double kNoiseLevel = 0.0025;
constexpr double kClickWindow = 0.37;

} // namespace

DemoAlbumSource::DemoAlbumSource(const DemoAlbumLayout& layout) : m_layout(layout)
{
    if (m_layout.trackSeconds <= 0) {
        m_layout.trackSeconds = 1;
    }
    if (m_layout.gapSeconds < 0) {
        m_layout.gapSeconds = 0;
    }
    if (m_layout.leadInSeconds < 0) {
        m_layout.leadInSeconds = 0;
    }
}

double DemoAlbumSource::TrackStart(unsigned index) const
{
    return m_layout.leadInSeconds + index * (m_layout.trackSeconds + m_layout.gapSeconds);
}

double DemoAlbumSource::TrackEnd(unsigned index) const { return TrackStart(index) + m_layout.trackSeconds; }

float DemoAlbumSource::Music(double t, unsigned track, int channel) const
{
    const uint64_t seed = m_layout.seed;
    const double u = t - TrackStart(track);
    const double beat = 0.42 + 0.18 * Unit(Hash(seed, track, 1));
    const int key = 52 + static_cast<int>(Hash(seed, track, 2) % 12);
    const int* progression = kProgression[Hash(seed, track, 3) % 4];

    const double barLength = 4 * beat;
    const auto bar = static_cast<uint64_t>(u / barLength);
    const double barAge = u - static_cast<double>(bar) * barLength;
    const int degree = progression[bar % 4];
    const auto beatIndex = static_cast<uint64_t>(u / beat);
    const double beatAge = u - static_cast<double>(beatIndex) * beat;

    auto scaleNote = [&](int step) {
        const int octave = step >= 0 ? step / 7 : (step - 6) / 7;
        return key + 12 * octave + kMajorScale[step - 7 * octave];
    };

    // Bass: the chord root two octaves down, one pluck per bar.
    const double bass = 0.22 * Pluck(barAge, 1.2) * Sine(NoteFrequency(scaleNote(degree) - 12), barAge);
    // Pad: third and fifth of the chord, slow decay, slightly apart in the two channels.
    const double pad = 0.07 * Pluck(barAge, 0.6) *
                       (Sine(NoteFrequency(scaleNote(degree + 2)), barAge) * (channel == 0 ? 1.0 : 0.8) +
                        Sine(NoteFrequency(scaleNote(degree + 4)), barAge) * (channel == 0 ? 0.8 : 1.0));
    // Melody: one chord or passing note per beat, an octave up, panned per note.
    const uint64_t noteHash = Hash(seed, track, 4, beatIndex);
    double melody = 0;
    if (noteHash % 5 != 0) { // some beats rest
        const int step = degree + static_cast<int>(noteHash % 8);
        const double pan = 0.3 + 0.4 * Unit(Mix(noteHash));
        const double gain = channel == 0 ? 1.0 - pan : pan;
        const double f = NoteFrequency(scaleNote(step) + 12);
        melody = 0.3 * gain * Pluck(beatAge, 3.5) * (Sine(f, beatAge) + 0.3 * Sine(2 * f, beatAge));
    }

    // Fade the track in and out over half a second.
    const double edge = std::min(u, m_layout.trackSeconds - u);
    const double fade = std::clamp(edge / 0.5, 0.0, 1.0);
    return static_cast<float>(fade * (bass + pad + melody));
}

float DemoAlbumSource::SurfaceNoise(uint64_t frame, double rate, int channel) const
{
    const uint64_t seed = m_layout.seed;
    double value = kNoiseLevel * (2.0 * Unit(Hash(seed, 100 + channel, frame, static_cast<uint64_t>(rate))) - 1.0);

    // Now and then a click: a short decaying spike, the same in both channels.
    const double t = static_cast<double>(frame) / rate;
    const auto window = static_cast<uint64_t>(t / kClickWindow);
    const uint64_t h = Hash(seed, 200, window);
    if (h % 4 == 0) {
        const double at = static_cast<double>(window) * kClickWindow + 0.3 * Unit(Mix(h));
        const double age = t - at;
        if (age >= 0 && age < 0.003) {
            const double sign = (h >> 8) % 2 == 0 ? 1.0 : -1.0;
            value += sign * 0.12 * std::exp(-age / 0.0003);
        }
    }
    return static_cast<float>(value);
}

void DemoAlbumSource::Render(double rate, uint64_t firstFrame, size_t frames, float* stereo) const
{
    for (size_t i = 0; i < frames; ++i) {
        const uint64_t frame = firstFrame + i;
        const double t = static_cast<double>(frame) / rate;
        float left = 0;
        float right = 0;
        if (t >= m_layout.leadInSeconds) {
            const double period = m_layout.trackSeconds + m_layout.gapSeconds;
            const auto track = static_cast<unsigned>((t - m_layout.leadInSeconds) / period);
            if (track < m_layout.tracks && t < TrackEnd(track)) {
                left = Music(t, track, 0);
                right = Music(t, track, 1);
            }
        }
        stereo[2 * i] = left + SurfaceNoise(frame, rate, 0);
        stereo[2 * i + 1] = right + SurfaceNoise(frame, rate, 1);
    }
}
