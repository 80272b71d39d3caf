// Repair of one damaged place; see PlaceRepairer.h.
#include "restore/PlaceRepairer.h"

#include "restore/VectorLoops.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// Repaired values beyond this are a failed interpolation, not music.
constexpr double kLargestValue = 4.0;
// The error energy (in variances of the music's errors) that a ring found
// in one channel must remove in every other one.
constexpr double kConfirmingGain = 4.0;
// A click whose runs peak this many deviations of the errors or more has
// its ring sought in every channel, the strongest first; a weaker one in
// its strongest channel only. Sought everywhere for every click, the rings
// repaired the record no better and took 5 % more time; sought only in the
// strongest channel, a 1 ms click at 384 kHz kept its ring, which only the
// weaker channel showed (0.2 dB of the record's repair).
constexpr double kRingInEveryChannelSigmas = 25.0;
// A run's rebuilt samples may carry at most this RMS over that of the
// recorded samples they replace, damage and all.
constexpr double kLoudestRebuild = 2.0;
// A place as long as a pop is damage when the error energy its
// interpolation removes stands this many deviations (a standard normal
// quantile) above what noise could remove. The generator's pops remove
// 10^4-10^7 error variances against a threshold of a few hundred; the
// notes' onsets taken for pops under a quiet noise floor, a few hundred.
constexpr double kPopSigmas = 10.0;
// The music after a place is new (a note starts), or the music before it
// (a note ends), when the errors of the model of the music on the other
// side stand this many times higher there than on its own side. At 4 none
// of the generator's damage was taken for a note under floors of -60 to -75
// dBFS (a soft onset a few milliseconds away stands far above a quiet
// floor); from 7.5 every probe's note with an attack or release of 0.1-2 ms
// taken for damage was.
constexpr double kOnsetRise = 6.0;

} // namespace

void PopSpans(const std::vector<ChannelRegion>& found, uint64_t after, uint64_t before, const RestoreSettings& settings,
              std::vector<std::pair<uint64_t, uint64_t>>& spans)
{
    // The runs are in order; a chain that starts before `before` may go on
    // past it.
    spans.clear();
    auto closeShort = [&] {
        if (!spans.empty() && spans.back().second - spans.back().first < settings.popLength) {
            spans.pop_back();
        }
    };
    for (const ChannelRegion& run : found) {
        if (!run.confirmed || run.start <= after) {
            continue;
        }
        if (!spans.empty() && run.start <= spans.back().second + settings.bridgeDistance) {
            spans.back().second = std::max<uint64_t>(spans.back().second, run.end);
            continue;
        }
        closeShort();
        if (run.start >= before) {
            return;
        }
        spans.emplace_back(run.start, run.end);
    }
    closeShort();
}

double PlaceStrengthDb(const DamagedPlace& place)
{
    return 20.0 * std::log10(std::max(place.peakSigmas, 1.0));
}

PlaceKind ClassifyPlace(size_t longestRun, double strengthDb, const RestoreSettings& settings)
{
    if (longestRun >= settings.popLength) {
        return PlaceKind::Pop;
    }
    if (longestRun <= settings.crackleLength && strengthDb < settings.crackleStrengthDb) {
        return PlaceKind::Crackle;
    }
    return PlaceKind::Click;
}

PlaceRepairer::PlaceRepairer(const RestoreSettings& settings)
    : m_settings(settings), m_sides(settings)
{
    m_ringLimits.maxLength = settings.ringLength;
    m_ringLimits.minRho = std::exp(-1.0 / settings.ringFastest);
    m_ringLimits.maxRho = std::exp(-1.0 / settings.ringSlowest);
    m_ringLimits.sigmas = settings.ringSigmas;
    m_ringLimits.lead = settings.ringLead;
    m_ringLimits.longestImpulse = settings.longestImpulse;
    m_ringLimits.sampleCost = settings.sampleCost;
    m_ringLimits.lowestOmega = 2.0 * std::numbers::pi * settings.ringLowest / static_cast<double>(settings.rate);
    m_ringLimits.highestOmega = 2.0 * std::numbers::pi * settings.ringHighest / static_cast<double>(settings.rate);
}

bool PlaceRepairer::FitContext(uint32_t mask, uint64_t first, uint64_t last, size_t ringReach, size_t order,
                               const std::vector<ChannelSamples>& channels,
                               const std::vector<std::vector<ChannelRegion>>& found)
{
    const size_t context = m_settings.RepairContext(order, static_cast<size_t>(last + 1 - first));
    m_segments.clear();
    // The channels carry the same music at other strengths, and a model's
    // coefficients follow the music's frequencies, not their strengths:
    // one model from the context of every channel of the place is better
    // than one from the first alone, the pop's too: its order needs all the
    // music it can get.
    for (uint16_t c = 0; c < channels.size(); ++c) {
        if ((mask & (1u << c)) == 0) {
            continue;
        }
        const ChannelSamples& s = channels[c];
        const uint64_t readable = std::min(s.frames, s.origin + s.available);
        const uint64_t low = std::max(s.origin, first > context ? first - context : 0);
        const uint64_t high = std::min(readable, last + 1 + context);
        // [low, high) without the place (and the ring it may leave) and the
        // damage found after it in this channel. The places before it are
        // repaired already (the samples hold their repairs); runs that were
        // not confirmed are noise. A model of a ring's order or more is cut
        // only at pops (runs that, with those within the bridge distance of
        // each other, span a pop's length): at every run its context falls
        // into pieces shorter than its order, which give it nothing (a
        // pop's 30 ms model lost most of its context after the pop to the
        // ticks found there), while the damaged samples of ticks and clicks
        // move a fit over thousands less than the samples lost around them
        // would; a pop's strength would make the model the pop's.
        if (order >= m_settings.ringOrder) {
            PopSpans(found[c], last, high, m_settings, m_excluded);
        } else {
            m_excluded.clear();
            for (const ChannelRegion& run : found[c]) {
                if (run.confirmed && run.start > last && run.start < high) {
                    m_excluded.emplace_back(run.start, run.end);
                }
            }
        }
        m_excluded.emplace_back(first, last + 1 + ringReach);
        std::sort(m_excluded.begin(), m_excluded.end());
        uint64_t at = low;
        for (const auto& [start, end] : m_excluded) {
            if (start > at) {
                m_segments.push_back({s.x + (at - s.origin), static_cast<size_t>(std::min(start, high) - at)});
            }
            at = std::max(at, end);
        }
        if (high > at) {
            m_segments.push_back({s.x + (at - s.origin), static_cast<size_t>(high - at)});
        }
    }
    if (!m_burg.Fit(m_segments.data(), m_segments.size(), order, m_model)) {
        return false;
    }
    m_interpolator.Prepare(m_model);
    m_taps.assign(m_model.a.begin(), m_model.a.end());
    return true;
}

double PlaceRepairer::ErrorEnergy(const float* x, size_t count)
{
    m_errors.resize(count);
    FilterFloat(x, m_taps.data(), m_taps.size(), count, m_errors.data());
    double energy = 0.0;
    for (const float e : m_errors) {
        energy += static_cast<double>(e) * e;
    }
    return energy;
}

double PlaceRepairer::MusicVariance(const ChannelSamples& s, uint64_t before)
{
    const size_t lead = m_ringLimits.lead;
    return ErrorEnergy(s.x + (before - lead - s.origin), lead) / static_cast<double>(lead);
}

bool PlaceRepairer::Interpolate(const ChannelSamples& s, const std::vector<ChannelRegion>& runs)
{
    const size_t p = m_model.Order();
    const uint64_t readable = std::min(s.frames, s.origin + s.available);
    m_unknown.clear();
    for (const ChannelRegion& run : runs) {
        for (uint64_t n = run.start; n < run.end; ++n) {
            m_unknown.push_back(static_cast<size_t>(n - s.origin));
        }
    }
    if (m_unknown.empty() || m_unknown.front() < p || s.origin + m_unknown.back() + p >= readable) {
        return false;
    }
    const size_t count = m_unknown.size();
    AddLaterDamage(s, runs.back().channel);
    m_values.resize(m_unknown.size());
    const bool solved = m_interpolator.Interpolate(s.x, m_unknown.data(), m_unknown.size(), m_values.data());
    m_unknown.resize(count);
    m_values.resize(count);
    return solved && std::all_of(m_values.begin(), m_values.end(), [](double v) { return std::fabs(v) < kLargestValue; });
}

uint64_t PlaceRepairer::LaterDamageEnd(uint16_t channel, uint64_t gapEnd, size_t order) const
{
    uint64_t end = gapEnd;
    for (const auto& [start, stop] : m_later[channel]) {
        if (start < gapEnd) {
            continue;
        }
        if (start > end + order) {
            break;
        }
        end = std::max(end, stop);
    }
    return end;
}

void PlaceRepairer::AddLaterDamage(const ChannelSamples& s, uint16_t channel)
{
    // Damage after the gap, within the order of the samples after it, is
    // still as recorded (it is repaired at its own place, later). Taken as
    // known, the errors it spoils pull the gap's values toward it: a pop a
    // millisecond after a tick made the tick's repair far worse than the
    // tick. Its samples are unknown too, their values dropped; the damage
    // after them within the order joins in turn. The solve costs the
    // longest gap's length squared for every other unknown, so the unknowns
    // beside the longest gap stay within laterUnknowns, and a click's run
    // as long as a pop takes none (its ends are given back one by one, each
    // time solved again: at 384 kHz one such run took seconds).
    const size_t gap = m_unknown.size();
    if (channel >= m_later.size() || (gap >= m_settings.popLength && !m_popPlace)) {
        return;
    }
    const size_t p = m_model.Order();
    const uint64_t readable = std::min(s.frames, s.origin + s.available);
    const uint64_t gapEnd = s.origin + m_unknown.back() + 1;
    const uint64_t last = std::min(LaterDamageEnd(channel, gapEnd, p), readable - p - 1);
    size_t longest = gap;
    size_t total = gap;
    uint64_t n = gapEnd;
    for (const auto& [start, stop] : m_later[channel]) {
        // Damage the gap starts in is the gap's own, given back or not.
        if (start < gapEnd) {
            continue;
        }
        const uint64_t from = std::max(n, start);
        const uint64_t to = std::min(stop, last);
        if (from >= to) {
            continue;
        }
        const auto length = static_cast<size_t>(to - from);
        if (total + length - std::max(longest, length) > m_settings.laterUnknowns) {
            break;
        }
        longest = std::max(longest, length);
        total += length;
        for (n = from; n < to; ++n) {
            m_unknown.push_back(static_cast<size_t>(n - s.origin));
        }
    }
}

bool PlaceRepairer::GiveBackQuietEnds(const ChannelSamples& s, ChannelRegion& run)
{
    // An end sample whose recorded value lies within the spread its
    // interpolation has (the prediction error's variance times the first
    // diagonal entry of the inverse normal matrix) is as likely music as
    // damage: it is kept as recorded, and the rest interpolated again.
    const size_t p = m_model.Order();
    const uint64_t lead = m_ringLimits.lead;
    if (run.start < s.origin + p + lead) {
        return true;
    }
    const double variance = MusicVariance(s, run.start);
    const double limit = m_settings.giveBackSigmas * m_settings.giveBackSigmas * variance;
    while (run.end - run.start > 1) {
        const double spread = limit * m_interpolator.EndVariance(static_cast<size_t>(run.end - run.start));
        auto quiet = [&](size_t i) {
            const double d = m_values[i] - s.x[m_unknown[i]];
            return d * d < spread;
        };
        const bool front = quiet(0);
        const bool back = quiet(m_unknown.size() - 1);
        if (!front && !back) {
            return true;
        }
        run.start += front ? 1 : 0;
        run.end -= back && run.end - run.start > 1 ? 1 : 0;
        if (!Interpolate(s, {run})) {
            return false;
        }
    }
    return true;
}

bool PlaceRepairer::RepairRun(const ChannelSamples& s, ChannelRegion run)
{
    if (!Interpolate(s, {run})) {
        return false;
    }
    // Give back the ends of the run that are damaged far less than its
    // peak, and interpolate again without them. A pop's burst decays
    // slowly from a sharp onset: it is kept whole.
    const size_t count = m_unknown.size();
    if (count >= m_settings.popLength) {
        return true;
    }
    auto damage = [&](size_t i) { return std::fabs(m_values[i] - s.x[m_unknown[i]]); };
    double peak = 0.0;
    for (size_t i = 0; i < count; ++i) {
        peak = std::max(peak, damage(i));
    }
    const double floor = m_settings.trimFraction * peak;
    size_t a = 0, b = count;
    while (b - a > 1 && damage(a) < floor) {
        ++a;
    }
    while (b - a > 1 && damage(b - 1) < floor) {
        --b;
    }
    if (a != 0 || b != count) {
        run.end = run.start + b;
        run.start += a;
        if (!Interpolate(s, {run})) {
            return false;
        }
    }
    return GiveBackQuietEnds(s, run);
}

bool PlaceRepairer::IsMusic(const DamagedPlace& place, const std::vector<ChannelSamples>& channels,
                            const std::vector<std::vector<ChannelRegion>>& found)
{
    const auto inPlace = [&place](uint16_t c) { return (place.channelMask & (1u << c)) != 0; };
    const auto span = static_cast<size_t>(place.end - place.start);
    const PlaceKind kind = ClassifyPlace(span, PlaceStrengthDb(place), m_settings);
    // A note taken for crackle loses a tenth of a millisecond of its
    // attack, rebuilt from the music around it; the test would cost a
    // tenth of the analysis.
    if (kind == PlaceKind::Crackle) {
        return false;
    }
    const bool popLike = kind == PlaceKind::Pop;
    // Damage may go on past the runs found, weaker (a pop's last impacts,
    // a click's ring under a quiet floor), and so do its errors: the music
    // after a place is sought past the longest damage or ring.
    const size_t gap = popLike ? m_settings.maxRepairLength : m_settings.ringLength;
    for (uint16_t c = 0; c < channels.size(); ++c) {
        if (inPlace(c) &&
            m_sides.BoundsNote(channels[c], found[c], place.start, place.end, gap, kOnsetRise)) {
            return true;
        }
    }
    if (!popLike) {
        return false;
    }
    for (uint16_t c = 0; c < channels.size(); ++c) {
        if (inPlace(c) && m_sides.HoldsDamage(channels[c], place.start, place.end, kPopSigmas)) {
            return false;
        }
    }
    return true;
}

bool PlaceRepairer::RebuildHolds(const std::vector<float>& recorded) const
{
    // Damage adds to the music: what a run replaces is the music and the
    // damage, and what is rebuilt is music like that around it. A rebuild
    // far louder than all that was recorded there was invented by a model
    // that does not hold across the run (a note starts within it: the
    // context on its two sides is different music; under a quiet noise
    // floor a tick's run grows through such an onset). Short runs are not
    // judged: one or two recorded samples can lie near zero where the
    // music does not.
    const size_t count = m_unknown.size();
    if (count < m_settings.loudCheckLength) {
        return true;
    }
    double recordedPower = 0.0, rebuiltPower = 0.0;
    for (size_t k = 0; k < count; ++k) {
        const double x = recorded[m_unknown[k]];
        recordedPower += x * x;
        rebuiltPower += m_values[k] * m_values[k];
    }
    return rebuiltPower <= kLoudestRebuild * kLoudestRebuild * recordedPower;
}

void PlaceRepairer::LocaliseRuns(const ChannelSamples& s, std::vector<ChannelRegion>& runs,
                                 ArInterpolator::Reach most, bool split)
{
    // The detection finds a weak tick by the prediction errors it causes,
    // which go on for the model's order after it and may peak a sample or
    // more away from the damage, and a weaker channel's run may lie beside
    // its tick; a pop's tail fades into the music before its detection
    // ends: the interpolation itself tells which samples nearby are
    // damaged. A run that nothing nearby explains is kept as found. The
    // detection may also chain two damages into one run (a tick, then a
    // click a few tenths of a millisecond on, the tick's errors reaching
    // it): interpolated whole, the music between them would be lost.
    const size_t p = m_model.Order();
    const uint64_t lead = m_ringLimits.lead;
    const uint64_t readable = std::min(s.frames, s.origin + s.available);
    for (size_t i = 0; i < runs.size(); ++i) {
        ChannelRegion& run = runs[i];
        // Runs do not move into one another.
        const uint64_t before = i > 0 ? runs[i - 1].end : s.origin;
        const uint64_t after = i + 1 < runs.size() ? runs[i + 1].start : readable;
        ArInterpolator::Reach reach;
        reach.start = static_cast<size_t>(std::min<uint64_t>(most.start, run.start - before));
        reach.end = static_cast<size_t>(std::min<uint64_t>(most.end, after - run.end));
        if (run.start < s.origin + p + lead + reach.start + 1 || run.end + reach.end + p + 1 > readable) {
            continue;
        }
        const double cost = m_settings.sampleCost * MusicVariance(s, run.start - reach.start);
        ChannelRegion second;
        if (split && SplitRun(s, run, cost, second)) {
            runs.insert(runs.begin() + static_cast<std::ptrdiff_t>(++i), second);
            continue;
        }
        auto start = static_cast<size_t>(run.start - s.origin);
        auto end = static_cast<size_t>(run.end - s.origin);
        if (m_interpolator.Localise(s.x, start, end, reach, cost)) {
            run.start = s.origin + start;
            run.end = s.origin + end;
        }
    }
}

bool PlaceRepairer::SplitRun(const ChannelSamples& s, ChannelRegion& run, double cost, ChannelRegion& second)
{
    // Two gaps proposed by their removals alone, each found again with the
    // other repaired in a copy (alone, a gap near the other damage takes
    // clean samples whose rows that damage reaches), then the pair's
    // removal against the run's, both exact.
    const auto lo = static_cast<size_t>(run.start - s.origin);
    const auto hi = static_cast<size_t>(run.end - s.origin);
    const size_t clean = m_settings.splitClean;
    ArInterpolator::Gap first, other;
    if (!m_interpolator.ProposeSplit(s.x, lo, hi, clean, cost, first, other)) {
        return false;
    }
    auto strongestBeside = [&](ArInterpolator::Gap repaired, size_t from, size_t to, ArInterpolator::Gap& gap) {
        m_split.assign(s.x, s.x + s.available);
        const ChannelSamples copy{m_split.data(), s.origin, m_split.size(), s.frames};
        if (to <= from ||
            !Interpolate(copy, {ChannelRegion{s.origin + repaired.start, s.origin + repaired.end, run.channel}})) {
            return false;
        }
        for (size_t k = 0; k < m_unknown.size(); ++k) {
            m_split[m_unknown[k]] = static_cast<float>(m_values[k]);
        }
        return m_interpolator.Strongest(m_split.data(), from, to, cost, gap);
    };
    if (!strongestBeside(other, lo, other.start - std::min(other.start, clean), first) ||
        !strongestBeside(first, first.end + clean, hi, other)) {
        return false;
    }
    auto net = [&](std::initializer_list<ArInterpolator::Gap> gaps) {
        m_unknown.clear();
        for (const ArInterpolator::Gap& gap : gaps) {
            for (size_t t = gap.start; t < gap.end; ++t) {
                m_unknown.push_back(t);
            }
        }
        m_values.resize(m_unknown.size());
        ArInterpolator::Result result;
        if (!m_interpolator.Interpolate(s.x, m_unknown.data(), m_unknown.size(), m_values.data(), &result)) {
            return -std::numeric_limits<double>::infinity();
        }
        return result.errorBefore - result.errorAfter - cost * static_cast<double>(m_unknown.size());
    };
    if (!(net({first, other}) > net({{lo, hi}}))) {
        return false;
    }
    second = run;
    run.start = s.origin + first.start;
    run.end = s.origin + first.end;
    second.start = s.origin + other.start;
    second.end = s.origin + other.end;
    return true;
}

bool PlaceRepairer::RingFits(const ChannelSamples& s, ChannelRegion run, size_t& gapStart, size_t& gapEnd) const
{
    const size_t p = m_model.Order();
    gapStart = static_cast<size_t>(run.start - s.origin);
    gapEnd = static_cast<size_t>(run.end - s.origin);
    return run.start >= s.origin + p + m_ringLimits.lead && gapEnd + m_placeRing.maxLength + p <= s.available;
}

bool PlaceRepairer::FindRing(const std::vector<std::vector<ChannelRegion>>& runs,
                             const std::vector<ChannelSamples>& channels, double& rho, double& omega,
                             uint16_t& found)
{
    // The ring is sought after the impulse at the start of the first run
    // of the channel the click hit hardest (the detection often finds a
    // ring as several runs after it), where it stands clearest. The stylus
    // rings in every channel alike (at other strengths): the other
    // channels must show the ring too, or it was the model's misfit of the
    // music around the click. They are tested with that channel's impulse
    // unknown and the rest known. A strong click's ring is sought in the
    // other channels too when the strongest shows none.
    uint16_t c = 0;
    double strongest = -1.0;
    for (uint16_t k = 0; k < channels.size(); ++k) {
        for (const ChannelRegion& run : runs[k]) {
            if (run.peakSigmas > strongest) {
                strongest = run.peakSigmas;
                c = k;
            }
        }
    }
    for (uint16_t k = 0; k < channels.size(); ++k) {
        // The strongest channel first, then the others in their order.
        const uint16_t t = k == 0 ? c : (k <= c ? k - 1 : k);
        if (runs[t].empty() || (k > 0 && strongest < kRingInEveryChannelSigmas)) {
            continue;
        }
        if (FindRingIn(t, runs, channels, rho, omega)) {
            found = t;
            return true;
        }
    }
    return false;
}

bool PlaceRepairer::FindRingIn(uint16_t c, const std::vector<std::vector<ChannelRegion>>& runs,
                               const std::vector<ChannelSamples>& channels, double& rho, double& omega)
{
    ChannelRegion whole = runs[c].front();
    whole.end = runs[c].back().end;
    size_t gapStart = 0, gapEnd = 0, ringStart = 0;
    if (!RingFits(channels[c], whole, gapStart, gapEnd) ||
        !m_ringEstimator.Estimate(m_model, channels[c].x, gapStart, gapEnd, m_placeRing, m_ring, ringStart)) {
        return false;
    }
    ChannelRegion impulse = whole;
    impulse.end = channels[c].origin + ringStart;
    for (uint16_t o = 0; o < channels.size(); ++o) {
        size_t otherStart = 0, otherEnd = 0;
        if (o != c && !(RingFits(channels[o], impulse, otherStart, otherEnd) &&
                        m_confirmer.GainAt(m_model, channels[o].x, otherStart, otherEnd, m_placeRing,
                                           m_ringEstimator.Rho(), m_ringEstimator.Omega()) >= kConfirmingGain)) {
            return false;
        }
    }
    rho = m_ringEstimator.Rho();
    omega = m_ringEstimator.Omega();
    m_foundRing = m_ring;
    m_foundRingStart = channels[c].origin + ringStart;
    return true;
}

uint64_t PlaceRepairer::SubtractRing(const ChannelSamples& s, ChannelRegion& run, bool found, double rho,
                                     double omega, uint64_t next)
{
    // The channel that found the ring takes it as found; the others their
    // own ring at about that frequency and decay (their own amplitudes and
    // impulse). s.x is the caller's local copy; the run shrinks to the
    // impulse.
    size_t gapStart = 0, gapEnd = 0, ringStart = 0;
    if (found) {
        m_ring = m_foundRing;
        ringStart = static_cast<size_t>(m_foundRingStart - s.origin);
    } else if (!RingFits(s, run, gapStart, gapEnd) ||
               !m_ringEstimator.EstimateAt(m_model, s.x, gapStart, gapEnd, m_placeRing, rho, omega, m_ring,
                                           ringStart)) {
        return run.end;
    }
    const uint64_t ringFirst = s.origin + ringStart;
    if (next <= ringFirst) {
        return run.end;
    }
    run.end = ringFirst;
    m_ring.resize(std::min<uint64_t>(m_ring.size(), next - ringFirst));
    float* x = const_cast<float*>(s.x);
    for (size_t k = 0; k < m_ring.size(); ++k) {
        x[ringStart + k] = static_cast<float>(x[ringStart + k] - m_ring[k]);
    }
    return run.end + m_ring.size();
}

bool PlaceRepairer::RingLikely(const std::vector<ChannelSamples>& channels,
                               const std::vector<std::vector<ChannelRegion>>& runs)
{
    // A ring damages the samples after its tick: in some channel, the gap
    // from the last run's start whose interpolation removes the most error
    // energy for its cost (a lower cost than a repair's: this only decides
    // whether to seek the ring) reaches well past the run. The prediction
    // errors after the tick alone do not tell: a short model leaves the
    // music's own errors there, as large as a weak ring's.
    const size_t p = m_model.Order();
    const uint64_t lead = m_ringLimits.lead;
    for (uint16_t c = 0; c < channels.size(); ++c) {
        if (runs[c].empty()) {
            continue;
        }
        const ChannelSamples& s = channels[c];
        const ChannelRegion& run = runs[c].back();
        const uint64_t readable = std::min(s.frames, s.origin + s.available);
        if (run.start < s.origin + p + lead + 1 || run.end + m_settings.ringScreen + p + 1 > readable) {
            continue;
        }
        const double variance = MusicVariance(s, run.start);
        auto start = static_cast<size_t>(run.start - s.origin);
        auto end = static_cast<size_t>(run.end - s.origin);
        const size_t runEnd = end;
        if (m_interpolator.Localise(s.x, start, end, {0, m_settings.ringScreen},
                                    m_settings.ringScreenCost * variance) &&
            end >= runEnd + m_settings.ringScreenGrowth) {
            return true;
        }
    }
    return false;
}

RepairedPlace PlaceRepairer::Repair(const DamagedPlace& place, const std::vector<ChannelSamples>& channels,
                                    const std::vector<std::vector<ChannelRegion>>& found)
{
    RepairedPlace repaired;
    repaired.position = place.start;
    repaired.length = static_cast<uint32_t>(place.end - place.start);
    repaired.channelMask = place.channelMask;
    const double strength = PlaceStrengthDb(place);
    repaired.strengthDb = static_cast<float>(strength);

    std::vector<std::vector<ChannelRegion>> runs(channels.size());
    for (const ChannelRegion& run : place.runs) {
        runs[run.channel].push_back(run);
    }
    // The place spans its runs.
    const uint64_t first = place.start;
    const uint64_t last = place.end - 1;
    size_t longest = 0;
    for (const ChannelRegion& run : place.runs) {
        longest = std::max<size_t>(longest, static_cast<size_t>(run.end - run.start));
    }
    // A weak pop may be found as runs with lulls between them: its span
    // tells it from a click.
    repaired.kind = ClassifyPlace(std::max<size_t>(longest, static_cast<size_t>(place.end - place.start)), strength, m_settings);
    if (repaired.kind == PlaceKind::Pop) {
        longest = static_cast<size_t>(place.end - place.start);
        // A pop damages every sample from its first impact to its last, in
        // every channel it hits: the detection's runs, which leave out the
        // lulls between impacts where the thump is predictable, become one.
        for (uint16_t c = 0; c < channels.size(); ++c) {
            if ((place.channelMask & (1u << c)) != 0) {
                ChannelRegion whole;
                whole.start = first;
                whole.end = last + 1;
                whole.channel = c;
                whole.confirmed = true;
                runs[c].assign(1, whole);
            }
        }
    }
    // A click may leave a ring after its last run: the context of the
    // models leaves out the span it may take. Most crackle ticks leave
    // none, and a model of their own order shows whether one may follow
    // before the costly model of the ring's order is fitted.
    const size_t ringReach = repaired.kind != PlaceKind::Pop ? m_settings.ringLength : 0;
    repaired.repaired = longest <= m_settings.maxRepairLength;
    m_popPlace = repaired.kind == PlaceKind::Pop;
    bool ringing = repaired.kind == PlaceKind::Click;
    if (repaired.repaired && repaired.kind == PlaceKind::Crackle) {
        repaired.repaired =
            FitContext(place.channelMask, first, last, ringReach, m_settings.RepairOrder(longest), channels, found);
        ringing = repaired.repaired && RingLikely(channels, runs);
    }
    if (repaired.repaired && (ringing || repaired.kind != PlaceKind::Crackle)) {
        const size_t order = ringing ? std::max(m_settings.RepairOrder(longest), m_settings.ringOrder)
                                     : m_settings.RepairOrder(longest);
        // A tick's own model may be of the ring's order already.
        if (repaired.kind != PlaceKind::Crackle || order != m_model.Order()) {
            repaired.repaired = FitContext(place.channelMask, first, last, ringReach, order, channels, found);
        }
    }
    // A ring stops short of the next damage found after the place.
    uint64_t next = std::numeric_limits<uint64_t>::max();
    m_later.resize(channels.size());
    for (uint16_t c = 0; c < channels.size(); ++c) {
        m_later[c].clear();
        for (const ChannelRegion& run : found[c]) {
            if (run.confirmed && run.start > last) {
                next = std::min(next, run.start);
                m_later[c].emplace_back(run.start, run.end);
            }
        }
    }
    // A ring is sought no further than the order before the next pop found
    // after the place: the ring's fit would take the pop's errors for its
    // own (a tick 1 ms before a pop took 107 samples of music for a ring).
    m_placeRing = m_ringLimits;
    const size_t order = m_model.Order();
    for (uint16_t c = 0; repaired.repaired && ringing && c < channels.size(); ++c) {
        PopSpans(found[c], last, last + 1 + m_ringLimits.maxLength + order, m_settings, m_spans);
        if (!m_spans.empty()) {
            const uint64_t clear = last + 1 + order;
            m_placeRing.maxLength = std::min<size_t>(m_placeRing.maxLength,
                                                     m_spans.front().first > clear ? m_spans.front().first - clear : 0);
        }
    }
    double ringRho = 0.0, ringOmega = 0.0;
    uint16_t ringChannel = 0;
    const bool ringFound = repaired.repaired && ringing && FindRing(runs, channels, ringRho, ringOmega, ringChannel);
    // The samples actually replaced, once the runs' ends are given back
    // and the rings subtracted.
    uint64_t replacedFirst = last;
    uint64_t replacedLast = first;
    // A pop is found from its sharp onset; only its end may move.
    const ArInterpolator::Reach localiseReach =
        repaired.kind == PlaceKind::Pop ? ArInterpolator::Reach{0, m_settings.popEndReach}
                                        : ArInterpolator::Reach{m_settings.localiseReach, m_settings.localiseReach};
    m_locals.resize(channels.size());
    m_localStarts.assign(channels.size(), 0);
    for (uint16_t c = 0; repaired.repaired && c < channels.size(); ++c) {
        if ((place.channelMask & (1u << c)) == 0) {
            continue;
        }
        const ChannelSamples& s = channels[c];
        // The runs one after the other, each a contiguous gap, in a copy of
        // the samples around the place: a run sees the runs before it
        // repaired.
        const size_t p = m_model.Order();
        const size_t lead = p + 1 + m_ringLimits.lead + localiseReach.start;
        const uint64_t readable = std::min(s.frames, s.origin + s.available);
        const uint64_t low = first > s.origin + lead ? first - lead : s.origin;
        // The damage found after the place within the order is unknown in
        // its interpolation, and the order after it must be there.
        const uint64_t high = std::min(readable, std::max(last + p + 2 + ringReach + localiseReach.end,
                                                          LaterDamageEnd(c, last + 1, p) + p + 1));
        std::vector<float>& local = m_locals[c];
        local.assign(s.x + (low - s.origin), s.x + (high - s.origin));
        m_localStarts[c] = low;
        const ChannelSamples samples{local.data(), low, local.size(), s.frames};
        if (ringFound && !runs[c].empty()) {
            // Once the ring is subtracted only the impulse is left.
            ChannelRegion whole = runs[c].front();
            whole.end = runs[c].back().end;
            const uint64_t ringEnd = SubtractRing(samples, whole, c == ringChannel, ringRho, ringOmega, next);
            if (ringEnd > whole.end || whole.end < runs[c].back().end) {
                runs[c].assign(1, whole);
                replacedLast = std::max(replacedLast, ringEnd - 1);
            }
        }
        if (!ringFound) {
            LocaliseRuns(samples, runs[c], localiseReach, repaired.kind != PlaceKind::Pop);
        }
        for (const ChannelRegion& run : runs[c]) {
            m_later[c].emplace_back(run.start, run.end);
        }
        std::sort(m_later[c].begin(), m_later[c].end());
        for (const ChannelRegion& run : runs[c]) {
            if (!RepairRun(samples, run) || !RebuildHolds(local)) {
                repaired.repaired = false;
                break;
            }
            replacedFirst = std::min<uint64_t>(replacedFirst, low + m_unknown.front());
            replacedLast = std::max<uint64_t>(replacedLast, low + m_unknown.back());
            for (size_t k = 0; k < m_unknown.size(); ++k) {
                local[m_unknown[k]] = static_cast<float>(m_values[k]);
            }
        }
    }
    if (repaired.repaired && replacedFirst <= replacedLast) {
        // The place is what was replaced, in every channel of its mask.
        repaired.position = replacedFirst;
        repaired.length = static_cast<uint32_t>(replacedLast - replacedFirst + 1);
        for (uint16_t c = 0; c < channels.size(); ++c) {
            if ((place.channelMask & (1u << c)) != 0) {
                const float* from = m_locals[c].data() + (replacedFirst - m_localStarts[c]);
                repaired.samples.insert(repaired.samples.end(), from, from + repaired.length);
            }
        }
    } else {
        repaired.repaired = false;
    }
    if (!repaired.repaired) {
        repaired.samples.clear();
    }
    return repaired;
}
