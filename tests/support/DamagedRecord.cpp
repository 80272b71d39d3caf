// Worn records with known damage, and the scoring of a repair; see
// DamagedRecord.h.
#include "support/DamagedRecord.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <random>

namespace {

constexpr double kPi = std::numbers::pi;

double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

class Draw {
public:
    explicit Draw(uint32_t seed) : m_engine(seed) {}
    double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(m_engine); }
    double LogUniform(double low, double high) { return std::exp(Uniform(std::log(low), std::log(high))); }
    double Gaussian() { return std::normal_distribution<double>(0.0, 1.0)(m_engine); }
    int Integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_engine); }
    bool Coin() { return Integer(0, 1) == 1; }

private:
    std::mt19937_64 m_engine;
};

// One note: harmonic partials under an attack, decay and release envelope.
struct Note {
    double start, length, attack, decay;
    double fundamental;
    std::vector<double> amplitudes, phases;
    std::vector<double> gains; // per channel
};

std::vector<Note> DrawNotes(Draw& draw, double seconds, uint16_t channels)
{
    std::vector<Note> notes;
    for (double t = draw.Uniform(0.0, 0.1); t < seconds; t += draw.LogUniform(0.08, 0.5)) {
        Note note;
        note.start = t;
        note.length = draw.Uniform(0.3, 2.0);
        note.attack = draw.Uniform(0.005, 0.04);
        note.decay = draw.Uniform(0.3, 1.5);
        note.fundamental = 440.0 * std::pow(2.0, (draw.Integer(36, 84) - 69) / 12.0);
        const int partials = std::min(24, static_cast<int>(16000.0 / note.fundamental));
        for (int k = 1; k <= partials; ++k) {
            note.amplitudes.push_back(draw.Uniform(0.5, 1.0) / std::pow(static_cast<double>(k), 1.3));
            note.phases.push_back(draw.Uniform(0.0, 2.0 * kPi));
        }
        const double pan = draw.Uniform(0.15, 0.85) * kPi / 2.0;
        for (uint16_t c = 0; c < channels; ++c) {
            note.gains.push_back(channels == 1 ? 1.0 : (c % 2 == 0 ? std::cos(pan) : std::sin(pan)));
        }
        notes.push_back(std::move(note));
    }
    return notes;
}

void RenderNote(const Note& note, uint32_t rate, std::vector<std::vector<double>>& out, std::vector<double>& scratch)
{
    const uint64_t frames = out[0].size();
    const auto first = static_cast<uint64_t>(note.start * rate);
    if (first >= frames) {
        return;
    }
    const uint64_t count = std::min<uint64_t>(frames - first, static_cast<uint64_t>(note.length * rate));
    scratch.assign(count, 0.0);
    for (size_t k = 0; k < note.amplitudes.size(); ++k) {
        const double frequency = note.fundamental * static_cast<double>(k + 1);
        if (frequency >= 0.45 * rate) {
            break;
        }
        // A rotating phasor: one complex product per sample.
        const std::complex<double> step = std::polar(1.0, 2.0 * kPi * frequency / rate);
        std::complex<double> phasor = std::polar(note.amplitudes[k], note.phases[k]);
        for (uint64_t i = 0; i < count; ++i) {
            scratch[i] += phasor.imag();
            phasor *= step;
        }
    }
    const double release = 0.06;
    for (uint64_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / rate;
        double envelope = t < note.attack ? 0.5 - 0.5 * std::cos(kPi * t / note.attack) : 1.0;
        envelope *= std::exp(-t / note.decay);
        const double left = note.length - t;
        if (left < release) {
            envelope *= 0.5 - 0.5 * std::cos(kPi * std::max(left, 0.0) / release);
        }
        for (size_t c = 0; c < out.size(); ++c) {
            out[c][first + i] += note.gains[c] * envelope * scratch[i];
        }
    }
}

// Mean time between the impacts of a pop.
constexpr double kImpactSpacing = 0.08e-3;

// A damage event's shape in continuous time, drawn once for every rate.
struct Shape {
    DamageKind kind;
    double at;          // seconds
    double duration;    // seconds of the main pulse
    double amplitude;
    double polarity;
    double impulse;                                  // clicks: the impulse, then the ring
    double ringAmplitude, ringFrequency, ringDecay;
    double frequency, rise, phase;                   // pops
    double jagFrequency[3], jagPhase[3];
    struct Impact {
        double at, width, size;
    };
    std::vector<Impact> impacts; // pops
    std::vector<double> gains, offsets;              // per channel
    double Length() const { return kind == DamageKind::Click ? impulse + 14.0 * ringDecay : duration; }
};

double ShapeValue(const Shape& s, double t, uint32_t rate)
{
    if (t < 0.0) {
        return 0.0;
    }
    // A pulse is at least 1.5 samples wide, so that every rate sees it.
    const double width = std::max(s.duration, 1.5 / rate);
    switch (s.kind) {
    case DamageKind::Click: {
        // A jagged impulse, then the stylus ringing until the click's end.
        const double impulse = std::max(s.impulse, 1.5 / rate);
        if (t < impulse) {
            double jag = 1.0;
            for (int i = 0; i < 3; ++i) {
                jag += 0.12 * std::sin(2.0 * kPi * s.jagFrequency[i] * t + s.jagPhase[i]);
            }
            return s.polarity * s.amplitude * std::pow(std::sin(kPi * t / impulse), 0.7) * jag;
        }
        if (s.ringDecay <= 0.0) {
            return 0.0;
        }
        const double r = t - impulse;
        return -s.polarity * s.ringAmplitude * std::exp(-r / s.ringDecay) * std::sin(2.0 * kPi * s.ringFrequency * r);
    }
    case DamageKind::Pop: {
        // A scratch: a train of impacts under a decaying envelope, with the
        // thump of the stylus knocked off its path below it.
        if (t >= s.duration) {
            return 0.0;
        }
        const double envelope = (1.0 - std::exp(-t / s.rise)) * std::exp(-t / (s.duration / 3.0)) *
                                (t > 0.75 * s.duration ? 0.5 + 0.5 * std::cos(kPi * (t - 0.75 * s.duration) / (0.25 * s.duration)) : 1.0);
        double impacts = 0.0;
        for (const Shape::Impact& impact : s.impacts) {
            const double u = t - impact.at;
            const double width = std::max(impact.width, 1.5 / rate);
            if (u >= 0.0 && u < width) {
                impacts += impact.size * std::sin(kPi * u / width);
            }
        }
        const double thump = std::cos(2.0 * kPi * s.frequency * t + s.phase);
        const double spike = std::exp(-t / 2e-5);
        return s.polarity * s.amplitude * (envelope * (0.6 * impacts + 0.4 * thump) + 0.5 * spike);
    }
    case DamageKind::Crackle:
        return t < width ? s.polarity * s.amplitude * std::sin(kPi * t / width) : 0.0;
    }
    return 0.0;
}

Shape DrawShape(Draw& draw, DamageKind kind, double at, uint16_t channels)
{
    Shape s{};
    s.kind = kind;
    s.at = at;
    s.polarity = draw.Coin() ? 1.0 : -1.0;
    for (int i = 0; i < 3; ++i) {
        s.jagFrequency[i] = draw.Uniform(5000.0, 15000.0);
        s.jagPhase[i] = draw.Uniform(0.0, 2.0 * kPi);
    }
    double lowestGain = 0.3;
    switch (kind) {
    case DamageKind::Click:
        // The whole click, impulse and ring, lasts `duration`: the ring
        // has decayed to 2 % by then.
        s.duration = draw.LogUniform(0.02e-3, 1e-3);
        s.amplitude = DbToGain(draw.Uniform(-32.0, -8.0));
        s.impulse = std::min(s.duration, draw.Uniform(0.01e-3, 0.05e-3));
        s.ringAmplitude = s.amplitude * draw.Uniform(0.3, 0.7);
        s.ringFrequency = draw.Uniform(6000.0, 16000.0);
        s.ringDecay = (s.duration - s.impulse) / 4.0;
        break;
    case DamageKind::Pop:
        s.duration = draw.Uniform(2e-3, 5e-3);
        s.amplitude = DbToGain(draw.Uniform(-12.0, -2.0));
        for (int i = 0, count = static_cast<int>(s.duration / kImpactSpacing); i < count; ++i) {
            const double sign = draw.Coin() ? 1.0 : -1.0;
            s.impacts.push_back({draw.Uniform(0.0, s.duration), draw.Uniform(0.01e-3, 0.04e-3), sign * draw.Uniform(0.5, 1.0)});
        }
        s.frequency = draw.Uniform(300.0, 1500.0);
        s.rise = draw.Uniform(0.05e-3, 0.2e-3);
        s.phase = draw.Uniform(0.0, 2.0 * kPi);
        lowestGain = 0.6;
        break;
    case DamageKind::Crackle:
        s.duration = draw.Uniform(0.01e-3, 0.06e-3);
        s.amplitude = DbToGain(draw.Uniform(-40.0, -26.0));
        lowestGain = 0.2;
        break;
    }
    const int loudest = draw.Integer(0, channels - 1);
    for (uint16_t c = 0; c < channels; ++c) {
        s.gains.push_back(c == loudest ? 1.0 : draw.Uniform(lowestGain, 1.0));
        s.offsets.push_back(draw.Uniform(0.0, 0.03e-3));
    }
    return s;
}

std::vector<Shape> DrawDamage(Draw& draw, const DamagePlan& plan)
{
    std::vector<Shape> shapes;
    const struct {
        DamageKind kind;
        double perSecond;
    } kinds[] = {{DamageKind::Click, plan.clicksPerSecond},
                 {DamageKind::Pop, plan.popsPerSecond},
                 {DamageKind::Crackle, plan.cracklePerSecond}};
    for (const auto& k : kinds) {
        const auto count = static_cast<size_t>(std::llround(k.perSecond * plan.seconds));
        for (size_t i = 0; i < count; ++i) {
            // Away from the ends, where no analysis has context on both sides.
            const double at = draw.Uniform(0.05, plan.seconds - 0.05);
            shapes.push_back(DrawShape(draw, k.kind, at, plan.channels));
        }
    }
    std::sort(shapes.begin(), shapes.end(), [](const Shape& a, const Shape& b) { return a.at < b.at; });
    return shapes;
}

} // namespace

DamagedRecord MakeDamagedRecord(const DamagePlan& plan)
{
    DamagedRecord record;
    record.rate = plan.rate;
    const auto frames = static_cast<uint64_t>(plan.seconds * plan.rate);
    Draw music(plan.seed);
    Draw damage(plan.seed * 7919u + 17u);
    Draw noise(plan.seed * 104729u + 3u);

    record.clean.assign(plan.channels, std::vector<double>(frames, 0.0));
    std::vector<double> scratch;
    for (const Note& note : DrawNotes(music, plan.seconds, plan.channels)) {
        RenderNote(note, plan.rate, record.clean, scratch);
    }
    double power = 0.0;
    for (const auto& channel : record.clean) {
        for (double v : channel) {
            power += v * v;
        }
    }
    const double musicGain =
        power > 0.0 ? DbToGain(plan.musicDb) / std::sqrt(power / static_cast<double>(frames * plan.channels)) : 0.0;
    record.noiseRms = DbToGain(plan.noiseDb);
    for (auto& channel : record.clean) {
        for (double& v : channel) {
            v = v * musicGain + record.noiseRms * noise.Gaussian();
        }
    }

    record.damaged = record.clean;
    const double threshold = 0.25 * record.noiseRms;
    for (const Shape& shape : DrawDamage(damage, plan)) {
        DamageEvent event;
        event.kind = shape.kind;
        event.seconds = shape.at;
        for (uint16_t c = 0; c < plan.channels; ++c) {
            const double begin = shape.at + shape.offsets[c];
            const auto first = static_cast<uint64_t>(std::ceil(begin * plan.rate));
            const auto last = std::min<uint64_t>(frames, static_cast<uint64_t>((begin + shape.Length()) * plan.rate) + 2);
            uint64_t placeStart = 0, placeEnd = 0;
            for (uint64_t n = first; n < last; ++n) {
                const double v = shape.gains[c] * ShapeValue(shape, static_cast<double>(n) / plan.rate - begin, plan.rate);
                record.damaged[c][n] += v;
                if (std::fabs(v) >= threshold) {
                    if (placeEnd == 0) {
                        placeStart = n;
                    }
                    placeEnd = n + 1;
                }
            }
            event.start.push_back(placeStart);
            event.end.push_back(placeEnd);
        }
        record.events.push_back(std::move(event));
    }
    return record;
}

std::vector<std::vector<float>> Quantise(const std::vector<std::vector<double>>& planar, int bits)
{
    const double scale = std::ldexp(1.0, bits - 1);
    std::vector<std::vector<float>> out;
    for (const auto& channel : planar) {
        std::vector<float> q(channel.size());
        for (size_t i = 0; i < channel.size(); ++i) {
            q[i] = static_cast<float>(std::clamp(std::nearbyint(channel[i] * scale), -scale, scale - 1.0) / scale);
        }
        out.push_back(std::move(q));
    }
    return out;
}

RepairScore ScoreRepair(const DamagedRecord& record, const std::vector<std::vector<float>>& input,
                        const std::vector<std::vector<float>>& output)
{
    RepairScore score;
    const size_t channels = record.clean.size();
    const uint64_t frames = record.Frames();
    std::vector<std::vector<bool>> damaged(channels, std::vector<bool>(frames, false));
    size_t counts[3] = {0, 0, 0};
    size_t fixed[3] = {0, 0, 0};
    for (const DamageEvent& event : record.events) {
        double before = 0.0, after = 0.0;
        for (size_t c = 0; c < channels; ++c) {
            for (uint64_t n = event.start[c]; n < event.end[c]; ++n) {
                damaged[c][n] = true;
                const double clean = record.clean[c][n];
                before += (input[c][n] - clean) * (input[c][n] - clean);
                after += (output[c][n] - clean) * (output[c][n] - clean);
            }
        }
        if (before > 0.0) {
            const auto kind = static_cast<size_t>(event.kind);
            ++counts[kind];
            if (after <= 0.1 * before) {
                ++fixed[kind];
            }
        }
    }
    double clean = 0.0, errorBefore = 0.0, errorAfter = 0.0;
    double untouchedPower = 0.0, untouchedChange = 0.0;
    uint64_t untouched = 0, changed = 0;
    for (size_t c = 0; c < channels; ++c) {
        for (uint64_t n = 0; n < frames; ++n) {
            const double s = record.clean[c][n];
            clean += s * s;
            errorBefore += (input[c][n] - s) * (input[c][n] - s);
            errorAfter += (output[c][n] - s) * (output[c][n] - s);
            if (!damaged[c][n]) {
                ++untouched;
                const double d = static_cast<double>(output[c][n]) - input[c][n];
                untouchedPower += static_cast<double>(input[c][n]) * input[c][n];
                untouchedChange += d * d;
                changed += d != 0.0 ? 1 : 0;
            }
        }
    }
    auto db = [](double num, double den) { return den > 0.0 ? 10.0 * std::log10(num / den) : 999.0; };
    score.snrBeforeDb = db(clean, errorBefore);
    score.snrAfterDb = db(clean, errorAfter);
    score.clicksFixed = counts[0] ? static_cast<double>(fixed[0]) / counts[0] : 1.0;
    score.popsFixed = counts[1] ? static_cast<double>(fixed[1]) / counts[1] : 1.0;
    score.crackleFixed = counts[2] ? static_cast<double>(fixed[2]) / counts[2] : 1.0;
    score.untouchedChanged = untouched ? static_cast<double>(changed) / static_cast<double>(untouched) : 0.0;
    score.untouchedSnrDb = db(untouchedPower, untouchedChange);
    return score;
}

namespace {

void PutLE(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

uint32_t GetLE(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) {
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    }
    return v;
}

int BytesOf(WavSampleFormat format) { return format == WavSampleFormat::Int16 ? 2 : format == WavSampleFormat::Int24 ? 3 : 4; }

} // namespace

bool WriteTestWav(const std::string& path, const TestWav& wav, const std::vector<uint8_t>& trailer)
{
    const auto channels = static_cast<uint32_t>(wav.samples.size());
    const size_t frames = wav.samples.empty() ? 0 : wav.samples[0].size();
    const int bytes = BytesOf(wav.format);
    const uint32_t dataSize = static_cast<uint32_t>(frames * channels * bytes);
    std::vector<uint8_t> out;
    out.reserve(44 + dataSize + trailer.size() + 1);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutLE(out, 36 + dataSize + (dataSize & 1) + static_cast<uint32_t>(trailer.size()), 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLE(out, 16, 4);
    PutLE(out, wav.format == WavSampleFormat::Float32 ? 3 : 1, 2);
    PutLE(out, channels, 2);
    PutLE(out, wav.rate, 4);
    PutLE(out, wav.rate * channels * bytes, 4);
    PutLE(out, channels * bytes, 2);
    PutLE(out, bytes * 8, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLE(out, dataSize, 4);
    for (size_t i = 0; i < frames; ++i) {
        for (uint32_t c = 0; c < channels; ++c) {
            const float v = wav.samples[c][i];
            if (wav.format == WavSampleFormat::Float32) {
                uint32_t bits;
                std::memcpy(&bits, &v, 4);
                PutLE(out, bits, 4);
            } else {
                const double scale = std::ldexp(1.0, bytes * 8 - 1);
                const double q = std::clamp(std::nearbyint(static_cast<double>(v) * scale), -scale, scale - 1.0);
                PutLE(out, static_cast<uint32_t>(static_cast<int32_t>(q)), bytes);
            }
        }
    }
    if (dataSize & 1) {
        out.push_back(0);
    }
    out.insert(out.end(), trailer.begin(), trailer.end());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

bool ReadTestWav(const std::string& path, TestWav& wav)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    std::fclose(file);
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        return false;
    }
    uint32_t tag = 0, channels = 0, bits = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const uint32_t size = GetLE(&bytes[at + 4], 4);
        const uint8_t* body = &bytes[at + 8];
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && size >= 16) {
            tag = GetLE(body, 2);
            channels = GetLE(body + 2, 2);
            wav.rate = GetLE(body + 4, 4);
            bits = GetLE(body + 14, 2);
            if (tag == 0xFFFE && size >= 26) {
                tag = GetLE(body + 24, 2); // the sub-format's first two bytes
            }
        } else if (std::memcmp(&bytes[at], "data", 4) == 0 && channels > 0) {
            const int width = static_cast<int>(bits / 8);
            if (!((tag == 1 && (bits == 16 || bits == 24)) || (tag == 3 && bits == 32))) {
                return false;
            }
            wav.format = tag == 3 ? WavSampleFormat::Float32 : bits == 16 ? WavSampleFormat::Int16 : WavSampleFormat::Int24;
            const size_t frames = std::min<size_t>(size, bytes.size() - at - 8) / (channels * width);
            wav.samples.assign(channels, std::vector<float>(frames));
            for (size_t i = 0; i < frames; ++i) {
                for (uint32_t c = 0; c < channels; ++c) {
                    const uint8_t* p = body + (i * channels + c) * width;
                    if (tag == 3) {
                        const uint32_t v = GetLE(p, 4);
                        std::memcpy(&wav.samples[c][i], &v, 4);
                    } else {
                        const int shift = 32 - static_cast<int>(bits);
                        const auto v = static_cast<int32_t>(GetLE(p, width) << shift) >> shift;
                        wav.samples[c][i] = static_cast<float>(std::ldexp(static_cast<double>(v), 1 - static_cast<int>(bits)));
                    }
                }
            }
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}
