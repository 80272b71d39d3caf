// Detection of impulsive damage in one channel; see ClickDetector.h.
#include "restore/ClickDetector.h"

#include "restore/VectorLoops.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// White noise added to the block's autocorrelation (relative to its power):
// far below any record's noise floor, it keeps the recursion well away from
// singularity on synthetic or digitally silent blocks.
constexpr double kWhiteNoise = 1e-7;
// Prediction errors below this share of the block's level are rounding, not
// noise: a floor for the deviation of perfectly predictable blocks.
constexpr double kSigmaFloorRelative = 1e-5;
constexpr double kSigmaFloor = 1e-10;
// Every fourth error enters the median: plenty for a robust deviation.
constexpr size_t kMedianStride = 4;
// Sub-blocks on each side whose deviations enter a sample's median.
constexpr std::ptrdiff_t kMedianReach = 2;
// A sub-block's deviation is at least this share of the deviation of its
// errors pooled with its two neighbours' (at 0.9 a weak pop at 44.1 kHz
// lost its tail to it).
constexpr double kPooledShare = 0.8;
// After a lull, a pop's run goes on at a window whose error level is this
// many deviations: an impact, not the music's own variation.
constexpr double kImpactSigmas = 2.0;
// Forward flags more than this many cluster gaps apart within a candidate
// belong to different disturbances.
constexpr size_t kSplitGaps = 3;
// A block's model is fitted again without the damage found in it when the
// damage's energy is this share of the block's prediction errors or more
// (a tenth searched 27 % of the blocks again for 0.4 points more crackle
// ticks, this 16 %).
constexpr double kWhitening = 0.3;
// What a sample of a matched candidate's gap costs, in error variances:
// half what the repair's localisation charges, for the test and the repair
// weigh it again (8 here: 0.15 dB less).
constexpr double kMatchedSampleCost = 4.0;

} // namespace

double ChiSquareQuantile(double degrees, double z)
{
    const double v = 2.0 / (9.0 * degrees);
    const double root = 1.0 - v + z * std::sqrt(v);
    return degrees * root * root * root;
}

ClickDetector::ClickDetector(const RestoreSettings& settings) : m_settings(settings), m_fit(settings.blockLength)
{
    // Half-sine pulses, one per width (the widths in samples may coincide
    // at low rates).
    for (const size_t w : settings.tickWidths) {
        if (std::none_of(m_tickShapes.begin(), m_tickShapes.end(), [w](const auto& h) { return h.size() == w; })) {
            std::vector<float> h(w);
            for (size_t i = 0; i < w; ++i) {
                h[i] = static_cast<float>(std::sin(std::numbers::pi * static_cast<double>(i + 1) / static_cast<double>(w + 1)));
            }
            m_tickShapes.push_back(std::move(h));
        }
    }
}

size_t ClickDetector::BlockIndex(uint64_t position) const
{
    return std::min<size_t>((position - m_first) / m_settings.blockLength, m_blocks.size() - 1);
}

const ClickDetector::BlockModel& ClickDetector::BlockAt(uint64_t position) const
{
    return m_blocks[BlockIndex(position)];
}

bool ClickDetector::FitBlocks(const ChannelSamples& s, uint64_t first, uint64_t end)
{
    const size_t length = m_settings.blockLength;
    const size_t count = static_cast<size_t>((end - first + length - 1) / length);
    m_blocks.resize(count);
    m_refit.assign(count, 1);
    return FitMarkedBlocks(s, end);
}

bool ClickDetector::FitMarkedBlocks(const ChannelSamples& s, uint64_t end)
{
    const size_t length = m_settings.blockLength;
    const size_t p = m_settings.detectOrder;
    const uint64_t first = m_first;
    const size_t count = m_blocks.size();
    bool any = false;
    for (size_t j = 0; j < count; ++j) {
        if (m_refit[j] == 0) {
            any = any || !m_blocks[j].taps.empty();
            continue;
        }
        BlockModel& block = m_blocks[j];
        const uint64_t blockStart = first + j * length;
        const uint64_t blockEnd = std::min<uint64_t>(blockStart + length, end);
        // A short last block is modelled by the full block that ends with it.
        const uint64_t fitStart = blockEnd - blockStart < length && blockEnd >= length ? blockEnd - length : blockStart;
        block.taps.clear();
        if (fitStart < s.origin || fitStart + length > s.origin + s.available) {
            continue; // not enough samples for a model: nothing is found here
        }
        const float* x = m_work.data() + (fitStart - s.origin);
        if (!m_fit.Fit(x, p, kWhiteNoise, block.model)) {
            continue; // digital silence: nothing to find
        }
        block.taps.assign(block.model.a.begin(), block.model.a.end());
        block.reversedTaps.assign(block.taps.rbegin(), block.taps.rend());
        any = true;
    }
    return any;
}

void ClickDetector::ComputeErrors(const ChannelSamples& s, uint64_t first, uint64_t end)
{
    const size_t n = static_cast<size_t>(end - first);
    const size_t p = m_settings.detectOrder;
    m_forward.resize(n);
    m_backward.resize(n);
    const uint64_t workEnd = s.origin + s.available;
    for (size_t j = 0; j < m_blocks.size(); ++j) {
        if (m_refit[j] == 0) {
            continue;
        }
        BlockModel& block = m_blocks[j];
        const uint64_t blockStart = first + j * m_settings.blockLength;
        const uint64_t blockEnd = std::min<uint64_t>(blockStart + m_settings.blockLength, end);
        std::fill(m_forward.begin() + static_cast<std::ptrdiff_t>(blockStart - first),
                  m_forward.begin() + static_cast<std::ptrdiff_t>(blockEnd - first), 0.0f);
        std::fill(m_backward.begin() + static_cast<std::ptrdiff_t>(blockStart - first),
                  m_backward.begin() + static_cast<std::ptrdiff_t>(blockEnd - first), 0.0f);
        if (block.taps.empty()) {
            continue; // no model: nothing is found in this block
        }
        // Forward errors need p samples before, backward ones p after.
        ForwardErrors(s, j, blockStart, blockEnd);
        const uint64_t readable = std::min(workEnd, s.frames);
        const uint64_t backwardEnd = readable > p ? std::min<uint64_t>(blockEnd, readable - p) : 0;
        if (blockStart < backwardEnd) {
            FilterFloat(m_work.data() + (blockStart + p - s.origin), block.reversedTaps.data(), p + 1,
                        static_cast<size_t>(backwardEnd - blockStart), m_backward.data() + (blockStart - first));
        }
        double power = 0.0;
        for (uint64_t i = blockStart; i < blockEnd; ++i) {
            const double v = m_work[i - s.origin];
            power += v * v;
        }
        const double rms = std::sqrt(power / static_cast<double>(blockEnd - blockStart));
        block.sigmaFloor = kSigmaFloorRelative * rms + kSigmaFloor;
    }
    LocalDeviations(first, end);
}

void ClickDetector::ForwardErrors(const ChannelSamples& s, size_t j, uint64_t from, uint64_t to)
{
    const BlockModel& block = m_blocks[j];
    const uint64_t start = std::max<uint64_t>(from, s.origin + block.model.Order());
    if (start < to) {
        FilterFloat(m_work.data() + (start - s.origin), block.taps.data(), block.taps.size(),
                    static_cast<size_t>(to - start), m_forward.data() + (start - m_first));
    }
}

void ClickDetector::LocalDeviations(uint64_t first, uint64_t end)
{
    // The deviation of the errors changes within a block (a note starts,
    // the music grows loud): each sub-block gets the median absolute error
    // of its own samples, and a sample the median of its sub-block's and
    // the two neighbours' on each side (a pop, which can fill two
    // sub-blocks, cannot move that median and so hide its own tail), but
    // not less than the level its sub-block and the next share: a note
    // that starts there raises both; nor much less than the level of its
    // errors and its neighbours' pooled: a burst of noise that fades.
    const size_t length = m_settings.SubBlockLength();
    const size_t count = static_cast<size_t>((end - first + length - 1) / length);
    auto marked = [&](size_t j) { return m_refit[BlockIndex(first + j * length)] != 0; };
    std::vector<double>& mad = m_subBlockMad;
    mad.resize(count);
    m_sigma.resize(count);
    for (size_t j = 0; j < count; ++j) {
        if (!marked(j)) {
            continue;
        }
        const uint64_t from = first + j * length;
        const uint64_t to = std::min<uint64_t>(from + length, end);
        mad[j] = Deviation(from, to, first);
    }
    const auto last = static_cast<std::ptrdiff_t>(count) - 1;
    for (size_t j = 0; j < count; ++j) {
        if (!marked(j)) {
            continue;
        }
        m_sigma[j] = std::numeric_limits<double>::infinity();
        // The median of five, the ends repeating the first and last values.
        double v[2 * kMedianReach + 1];
        for (std::ptrdiff_t d = -kMedianReach; d <= kMedianReach; ++d) {
            v[d + kMedianReach] = mad[static_cast<size_t>(std::clamp<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(j) + d, 0, last))];
        }
        std::nth_element(v, v + kMedianReach, v + 2 * kMedianReach + 1);
        const double shared = std::min(mad[j], mad[std::min(j + 1, count - 1)]);
        double median = std::max(v[kMedianReach], shared);
        // A burst of noise (a drum, a cymbal) lasts longer than a pop and
        // fades: over its fading sub-blocks the median of five and the
        // level shared with the next are the quieter level that follows,
        // and the burst's own errors stood out as clicks (three a burst
        // that fades in 10 ms). The errors of three sub-blocks pooled hold
        // the burst's level; a pop fills no more than a third of them.
        if (j > 0 && j + 1 < count) {
            const uint64_t from = first + (j - 1) * length;
            const double pooled =
                Deviation(from, std::min<uint64_t>(from + 3 * length, end), first);
            if (std::isfinite(pooled)) {
                median = std::max(median, kPooledShare * pooled);
            }
        }
        const BlockModel& block = BlockAt(first + j * length);
        if (!block.taps.empty()) {
            m_sigma[j] = std::max(median, block.sigmaFloor);
        }
    }
}

double ClickDetector::Deviation(uint64_t from, uint64_t to, uint64_t first)
{
    m_magnitudes.clear();
    for (uint64_t i = from; i < to; i += kMedianStride) {
        if (m_forward[i - first] != 0.0f) {
            m_magnitudes.push_back(std::fabs(m_forward[i - first]));
        }
    }
    if (m_magnitudes.size() * 4 < static_cast<size_t>(to - from) / kMedianStride) {
        return std::numeric_limits<double>::infinity(); // no errors here: nothing is found
    }
    return kMadToSigma * Median(m_magnitudes);
}

double Median(std::vector<float>& values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

void ClickDetector::FindCandidates(uint64_t first, uint64_t end)
{
    // Hysteresis: flags at the lower threshold extend a candidate, but only
    // a flag at the candidate threshold starts one.
    m_candidates.clear();
    const double seed = m_settings.candidateSigmas;
    const double extend = m_settings.extendSigmas;
    const size_t gap = m_settings.clusterGap;
    bool open = false;
    bool seeded = false;
    uint64_t firstFlag = 0, lastFlag = 0, firstForward = 0, lastBackward = 0;
    bool haveForward = false, haveBackward = false;
    double peak = 0.0;
    // The first forward flag at the seed threshold: a run starts no more
    // than the cluster gap before it. Weak flags before it that chain into
    // the run are the backward errors of the click and the noise among
    // them, not damage. (Its end is not cut so: the weak backward flags
    // after a strong one are a decaying spike's tail.)
    bool haveStrongForward = false;
    uint64_t strongForward = 0;
    // Forward flags far apart with only backward flags between them are
    // two disturbances (a crackle tick, then a click whose backward errors
    // reach back to it): each earlier stretch of forward flags is a
    // candidate of its own.
    const size_t split = kSplitGaps * gap;
    auto close = [&]() {
        if (open && seeded) {
            size_t from = 0;
            for (size_t i = 1; i < m_forwardFlags.size(); ++i) {
                if (m_forwardFlags[i] - m_forwardFlags[i - 1] <= split) {
                    continue;
                }
                double strength = 0.0;
                for (size_t k = from; k < i; ++k) {
                    strength = std::max(strength, m_forwardStrengths[k]);
                }
                if (strength > seed) {
                    m_candidates.push_back({m_forwardFlags[from], m_forwardFlags[i - 1], strength});
                }
                from = i;
            }
            if (from > 0) {
                firstForward = m_forwardFlags[from];
                haveStrongForward = false;
                for (size_t k = from; k < m_forwardFlags.size() && !haveStrongForward; ++k) {
                    haveStrongForward = m_forwardStrengths[k] > seed;
                    strongForward = m_forwardFlags[k];
                }
            }
            uint64_t start = haveForward ? firstForward : firstFlag;
            if (haveStrongForward && start + gap < strongForward) {
                start = *std::lower_bound(m_forwardFlags.begin(), m_forwardFlags.end(), strongForward - gap);
            }
            const uint64_t last = haveBackward ? lastBackward : lastFlag;
            m_candidates.push_back({std::min(start, last), std::max(start, last), peak});
        }
        open = false;
    };
    const size_t subBlock = m_settings.SubBlockLength();
    const size_t blockLength = m_settings.blockLength;
    for (size_t block = 0; block < m_refit.size(); ++block) {
        if (m_refit[block] == 0) {
            continue; // searched before
        }
        const uint64_t blockEnd = std::min<uint64_t>(first + (block + 1) * blockLength, end);
        for (uint64_t n = first + block * blockLength; n < blockEnd; ++n) {
            // The threshold is compared first; the ratio only for flags.
            const size_t j = static_cast<size_t>((n - first) / subBlock);
            const float threshold = static_cast<float>(extend * m_sigma[j]);
            const float forward = std::fabs(m_forward[n - first]);
            const float backward = std::fabs(m_backward[n - first]);
            if (!(forward > threshold) && !(backward > threshold)) {
                continue;
            }
            const double sigma = m_sigma[j];
            const double f = forward / sigma;
            const double b = backward / sigma;
            const bool flagF = f > extend;
            const bool flagB = b > extend;
            if (!flagF && !flagB) {
                continue;
            }
            if (open && n - lastFlag > gap) {
                close();
            }
            if (!open) {
                open = true;
                seeded = false;
                firstFlag = n;
                haveForward = haveBackward = haveStrongForward = false;
                m_forwardFlags.clear();
                m_forwardStrengths.clear();
                peak = 0.0;
            }
            lastFlag = n;
            if (flagF && !haveForward) {
                haveForward = true;
                firstForward = n;
            }
            if (flagF) {
                m_forwardFlags.push_back(n);
                m_forwardStrengths.push_back(f);
                if (!haveStrongForward && f > seed) {
                    haveStrongForward = true;
                    strongForward = n;
                }
            }
            if (flagB) {
                haveBackward = true;
                lastBackward = n;
            }
            peak = std::max(peak, std::max(f, b));
            seeded = seeded || peak > seed;
        }
    }
    close();
}

bool ClickDetector::TestRun(const ChannelSamples& s, const BlockModel& block, uint64_t start, uint64_t end,
                            double& removed)
{
    const size_t count = static_cast<size_t>(end - start);
    m_values.resize(count);
    m_interpolator.Prepare(block.model);
    if (!m_interpolator.InterpolateSpan(m_work.data(), static_cast<size_t>(start - s.origin), count,
                                        m_values.data(), removed)) {
        return false;
    }
    const double sigma = SigmaAt(start);
    removed /= sigma * sigma;
    return true;
}

void ClickDetector::Trim(const ChannelSamples& s, const BlockModel& block, uint64_t& first, uint64_t& last,
                         double& removed)
{
    // Samples at the ends of the run that its interpolation barely changes
    // were not damaged: keep them as recorded, and interpolate the rest again.
    double c0 = 0.0;
    for (double a : block.model.a) {
        c0 += a * a;
    }
    const double limit = m_settings.trimSigmas * SigmaAt(first) / std::sqrt(c0);
    uint64_t a = first;
    uint64_t b = last;
    while (a < b && std::fabs(m_values[a - first] - m_work[a - s.origin]) < limit) {
        ++a;
    }
    while (b > a && std::fabs(m_values[b - first] - m_work[b - s.origin]) < limit) {
        --b;
    }
    if (a == first && b == last) {
        return;
    }
    double trimmed = 0.0;
    if (TestRun(s, block, a, b + 1, trimmed)) {
        first = a;
        last = b;
        removed = trimmed;
    } else {
        TestRun(s, block, first, last + 1, removed);
    }
}

void ClickDetector::TestCandidates(const ChannelSamples& s, uint16_t channel, std::vector<ChannelRegion>& out)
{
    const uint64_t limit = std::min(s.frames, s.origin + s.available);
    // The strongest first: once a strong click is replaced in the working
    // copy, the errors it spread before and after it are gone, and the
    // weaker candidates they made are no longer taken for damage.
    std::vector<size_t> order(m_candidates.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return m_candidates[a].peakSigmas > m_candidates[b].peakSigmas;
    });
    const size_t firstOut = out.size();
    for (const size_t index : order) {
        const Candidate& candidate = m_candidates[index];
        const BlockModel& block = BlockAt(candidate.start);
        const size_t p = block.model.Order();
        if (p == 0 || candidate.start < s.origin + p || candidate.end + p >= limit) {
            continue; // too close to the edge of what can be read
        }
        ChannelRegion region;
        region.channel = channel;
        region.faint = m_faintRound;
        region.start = candidate.start;
        region.end = candidate.end + 1;
        region.peakSigmas = candidate.peakSigmas;
        if (region.end - region.start > m_settings.maxRepairLength) {
            // Too long to test by interpolation; only very strong damage is
            // reported (and left as recorded).
            if (candidate.peakSigmas >= m_settings.strongSigmas) {
                region.confirmed = true;
                out.push_back(region);
            }
            continue;
        }
        double removed = 0.0;
        if (!TestRun(s, block, region.start, region.end, removed) ||
            removed <= ChiSquareQuantile(static_cast<double>(region.end - region.start), m_settings.joinSigmas)) {
            continue; // noise
        }
        uint64_t first = region.start;
        uint64_t last = region.end - 1;
        Trim(s, block, first, last, removed);
        region.start = first;
        region.end = last + 1;
        auto length = static_cast<size_t>(region.end - region.start);
        const double degrees = static_cast<double>(length);
        if (removed <= ChiSquareQuantile(degrees, m_settings.joinSigmas)) {
            continue;
        }
        region.confirmed = removed > ChiSquareQuantile(degrees, m_settings.confirmSigmas);
        if (region.confirmed) {
            // Later candidates see this one repaired.
            std::copy(m_values.begin(), m_values.begin() + static_cast<std::ptrdiff_t>(length),
                      m_work.begin() + static_cast<std::ptrdiff_t>(region.start - s.origin));
            // A strong disturbance whose errors go on once it is replaced
            // (a pop's train of impacts) goes on too.
            if (candidate.peakSigmas >= m_settings.strongSigmas) {
                const uint64_t end = LevelEnd(s, block, region.start, region.end);
                double grown = 0.0;
                if (end > region.end && TestRun(s, block, region.start, end, grown)) {
                    region.end = end;
                    length = static_cast<size_t>(end - region.start);
                    std::copy(m_values.begin(), m_values.begin() + static_cast<std::ptrdiff_t>(length),
                              m_work.begin() + static_cast<std::ptrdiff_t>(region.start - s.origin));
                }
            }
            AddDamage(s, region.start, region.end);
            // The edges of a run, damaged a little less than the noise
            // shows, are taken in too; the repair gives back what it need
            // not replace.
            region.start = std::max(region.start - std::min<uint64_t>(region.start, m_settings.edgePad), s.origin + p);
            region.end = std::min(region.end + m_settings.edgePad, limit - p - 1);
        }
        out.push_back(region);
    }
    std::sort(out.begin() + static_cast<std::ptrdiff_t>(firstOut), out.end(),
              [](const ChannelRegion& a, const ChannelRegion& b) { return a.start < b.start; });
}

uint64_t ClickDetector::LevelEnd(const ChannelSamples& s, const BlockModel& block, uint64_t start, uint64_t end)
{
    // The forward errors of the working copy after the run, window by
    // window, while their level stays above levelSigmas.
    const size_t window = m_settings.levelWindow;
    const size_t p = block.model.Order();
    const uint64_t limit = std::min(std::min(s.frames, s.origin + s.available) - p - 1, start + m_settings.maxRepairLength);
    const double sigma = SigmaAt(start);
    const double floor = m_settings.levelSigmas * m_settings.levelSigmas * sigma * sigma * static_cast<double>(window);
    auto level = [&](uint64_t from) {
        double power = 0.0;
        for (uint64_t n = from; n < from + window; ++n) {
            const float* x = m_work.data() + (n - s.origin);
            double e = 0.0;
            for (size_t k = 0; k <= p; ++k) {
                e += block.model.a[k] * x[-static_cast<std::ptrdiff_t>(k)];
            }
            power += e * e;
        }
        return power;
    };
    // A lull between impacts, where only the thump is left and the model
    // predicts it, does not end the run when a strong impact follows
    // within the bridge distance.
    const double strong = floor * (kImpactSigmas * kImpactSigmas) /
                          (m_settings.levelSigmas * m_settings.levelSigmas);
    uint64_t at = end;
    bool lull = false;
    while (at + window <= limit && at < end + (lull ? m_settings.bridgeDistance : window)) {
        const double power = level(at);
        if (power >= (lull ? strong : floor)) {
            end = at + window;
        } else {
            lull = true;
        }
        at += window;
    }
    return end;
}

bool ClickDetector::TestSpan(uint64_t start, uint64_t end, uint16_t channel, ChannelRegion& region)
{
    const ChannelSamples& s = m_samples;
    if (m_blocks.empty() || start < m_first || end <= start || end - start > m_settings.maxRepairLength) {
        return false;
    }
    const BlockModel& block = BlockAt(start);
    const size_t p = block.model.Order();
    const uint64_t limit = std::min(s.frames, s.origin + s.available);
    // A click reaches the channels a few samples apart: the span is moved
    // by up to the cluster gap either way, and where its interpolation
    // removes the most error energy is where the damage lies in this
    // channel (the likelihood ratio maximised over the position). Tested
    // where the other channel found it, the span often holds only the tail
    // of this channel's errors, and its repair would miss the damage and
    // change the music after it.
    const uint64_t reach = std::min<uint64_t>(m_settings.clusterGap, start - m_first);
    double removed = -1.0;
    uint64_t best = 0;
    for (uint64_t from = start - reach; from <= start + m_settings.clusterGap; ++from) {
        const uint64_t to = from + (end - start);
        double trial = 0.0;
        if (p == 0 || from < s.origin + p || to + p >= limit || !TestRun(s, block, from, to, trial)) {
            continue;
        }
        if (trial > removed) {
            removed = trial;
            best = from;
        }
    }
    if (removed < 0.0 || !TestRun(s, block, best, best + (end - start), removed)) {
        return false;
    }
    uint64_t first = best;
    uint64_t last = best + (end - start) - 1;
    Trim(s, block, first, last, removed);
    if (removed <= ChiSquareQuantile(static_cast<double>(last + 1 - first), m_settings.joinSigmas)) {
        return false;
    }
    region = ChannelRegion{};
    region.channel = channel;
    region.start = first;
    region.end = last + 1;
    region.peakSigmas = std::sqrt(removed / static_cast<double>(last + 1 - first));
    return true;
}

void ClickDetector::Detect(const ChannelSamples& s, uint64_t first, uint64_t end, uint16_t channel,
                           std::vector<ChannelRegion>& out)
{
    m_samples = s;
    m_blocks.clear();
    if (end <= first) {
        return;
    }
    m_first = first;
    m_work.assign(s.x, s.x + s.available);
    if (!FitBlocks(s, first, end)) {
        return;
    }
    ComputeErrors(s, first, end);
    FindCandidates(first, end);
    const size_t found = out.size();
    m_damage.assign(m_blocks.size(), 0.0);
    m_replaced.clear();
    TestCandidates(s, channel, out);
    // A strong click or a pop in a block makes the block's model its own:
    // fitted to the music and the disturbance together, the model predicts
    // the music poorly, the errors of the whole block rise and weak damage
    // near the disturbance (the ticks around it, a pop's quieter impacts)
    // goes unseen. Such blocks are fitted again on the working copy, where
    // the confirmed runs are replaced by their interpolation, and searched
    // again (the detection and re-estimation of Vaseghi and Rayner 1990 and
    // Godsill and Rayner 1998, chapter 5, taken one round further). Only the
    // candidates of those blocks are tested: elsewhere the first round saw
    // what there is to see.
    if (MarkWhitenedBlocks() && FitMarkedBlocks(s, end)) {
        ComputeErrors(s, first, end);
        FindCandidates(first, end);
        const size_t again = out.size();
        TestCandidates(s, channel, out);
        if (out.size() > again) {
            MergeRuns(out, found);
        }
    }
    // A third round: weak ticks, under the seed threshold in the errors,
    // found by the errors' matched sum.
    FindMatchedCandidates(first, end);
    const size_t matched = out.size();
    m_faintRound = true;
    TestCandidates(s, channel, out);
    m_faintRound = false;
    if (out.size() > matched) {
        MergeRuns(out, found);
    }
}

void ClickDetector::FindMatchedCandidates(uint64_t first, uint64_t end)
{
    // A tick d adds A d to the forward errors e = A x, spread over the
    // model's order; the least-squares fit of a tick of shape h at t
    // removes (h' m)^2 / h'Ch of the errors' energy, where m = A' e (the
    // errors' sum weighted by the coefficients, m(t) = sum a_k e(t + k):
    // the filter matched to a one-sample tick) and C the coefficients'
    // autocorrelation (Vaseghi and Rayner 1990; the detector of a known
    // signal in autoregressive noise). So h' m / sqrt(h'Ch) has the
    // errors' deviation where there is no tick, and stands sqrt(h'Ch)
    // times further above it than one error does for a tick: a sample or
    // two of a tick hidden in loud music stands out. Ticks are short
    // pulses of a few widths; each width's sum is taken, scaled by its
    // deviation against the errors' over the block (never less than the
    // white errors' sqrt(h'Ch): the errors the model leaves are a little
    // coloured, and a wide pulse's sum gathers that colour), and the
    // largest is compared with the candidates' threshold. The forward
    // errors are the working copy's, the damage found so far replaced: no
    // ghosts of it (the errors change over each stretch replaced and the
    // order's samples after it).
    const ChannelSamples& s = m_samples;
    const size_t n = static_cast<size_t>(end - first);
    const size_t blockLength = m_settings.blockLength;
    for (const auto& [from, to] : m_replaced) {
        for (uint64_t t = std::max(from, first); t < std::min(to + m_settings.detectOrder, end);) {
            const size_t j = BlockIndex(t);
            const uint64_t blockEnd = std::min<uint64_t>(first + (j + 1) * blockLength, end);
            const uint64_t stop = std::min({to + m_settings.detectOrder, blockEnd, end});
            if (!m_blocks[j].taps.empty()) {
                ForwardErrors(s, j, t, stop);
            }
            t = stop;
        }
    }
    m_matched.assign(n, 0.0f);
    m_tickSums.assign(n, 0.0f);
    for (size_t j = 0; j < m_blocks.size(); ++j) {
        const BlockModel& block = m_blocks[j];
        if (block.taps.empty()) {
            continue;
        }
        const size_t p = block.model.Order();
        const uint64_t from = first + j * blockLength;
        const uint64_t to = std::min<uint64_t>(from + blockLength, end > p ? end - p : 0);
        if (from < to) {
            FilterFloat(m_forward.data() + (from - first) + p, block.reversedTaps.data(), p + 1,
                        static_cast<size_t>(to - from), m_matched.data() + (from - first));
        }
    }
    for (size_t j = 0; j < m_blocks.size(); ++j) {
        if (!m_blocks[j].taps.empty()) {
            AddTickSums(j, first, end);
        }
    }
    m_candidates.clear();
    const double seed = m_settings.candidateSigmas;
    const double extend = m_settings.extendSigmas;
    const size_t half = m_settings.clusterGap / 2;
    const size_t subBlock = m_settings.SubBlockLength();
    // The errors' deviation, but not less than the sub-block's own or the
    // next one's: where a note starts, the median of the neighbours lags
    // the rising errors, and the sums gather them (a clean recording's
    // onsets made false ticks).
    const size_t lastSubBlock = m_subBlockMad.size() - 1;
    auto deviation = [&](size_t j) {
        return std::max({m_sigma[j], m_subBlockMad[j], m_subBlockMad[std::min(j + 1, lastSubBlock)]});
    };
    auto deviations = [&](uint64_t t) { return m_tickSums[t - first] / deviation(static_cast<size_t>((t - first) / subBlock)); };
    size_t prepared = m_blocks.size(); // the block m_interpolator has the model of
    uint64_t t = first;
    while (t < end) {
        // The next seed flag: the threshold is the sub-block's.
        const size_t j = static_cast<size_t>((t - first) / subBlock);
        const uint64_t subEnd = std::min<uint64_t>(first + (j + 1) * subBlock, end);
        const auto threshold = static_cast<float>(seed * deviation(j));
        const float* sums = m_tickSums.data() + (t - first);
        size_t i = 0;
        const auto count = static_cast<size_t>(subEnd - t);
        while (i < count && !(sums[i] > threshold)) {
            ++i;
        }
        t += i;
        if (i == count) {
            continue;
        }
        // The peak of the flags chained to this one.
        uint64_t peak = t;
        double best = deviations(t);
        uint64_t last = t;
        for (uint64_t u = t + 1; u < end && u <= last + m_settings.clusterGap; ++u) {
            const double z = deviations(u);
            if (z > extend) {
                last = u;
            }
            if (z > best) {
                best = z;
                peak = u;
            }
        }
        t = last + 1;
        // The gap near the peak whose interpolation removes the most error
        // energy for what its samples cost; the test and the repair judge
        // it again.
        const size_t blockIndex = BlockIndex(peak);
        const BlockModel& block = m_blocks[blockIndex];
        const size_t p = block.model.Order();
        const uint64_t lo = std::max(peak - std::min<uint64_t>(half, peak - first), s.origin + p);
        const uint64_t hi = peak + half + 1;
        if (p == 0 || lo >= hi || hi + p >= s.origin + s.available) {
            continue;
        }
        if (blockIndex != prepared) {
            m_interpolator.Prepare(block.model);
            prepared = blockIndex;
        }
        const double sigma = SigmaAt(peak);
        ArInterpolator::Gap gap{static_cast<size_t>(peak - s.origin), static_cast<size_t>(peak - s.origin) + 1};
        m_interpolator.Strongest(m_work.data(), static_cast<size_t>(lo - s.origin), static_cast<size_t>(hi - s.origin),
                                 kMatchedSampleCost * sigma * sigma, gap);
        const uint64_t a = s.origin + gap.start;
        const uint64_t b = s.origin + gap.end - 1;
        double strength = 0.0;
        for (uint64_t u = a; u <= b; ++u) {
            strength = std::max(strength, std::fabs(m_forward[u - first]) / SigmaAt(u));
        }
        m_candidates.push_back({a, b, strength});
    }
}

void ClickDetector::AddTickSums(size_t j, uint64_t first, uint64_t end)
{
    const BlockModel& block = m_blocks[j];
    const std::vector<double>& a = block.model.a;
    const size_t p = block.model.Order();
    const size_t n = static_cast<size_t>(end - first);
    const uint64_t from = first + j * m_settings.blockLength;
    const uint64_t to = std::min<uint64_t>(from + m_settings.blockLength, end);
    double errors = 0.0;
    AutocorrelationFloat(m_forward.data() + (from - first), static_cast<size_t>(to - from), 0, &errors);
    if (errors <= 0.0) {
        return;
    }
    // The coefficients' autocorrelation c[lag], for the widest shape's lags.
    m_coefficientLags.assign(m_tickShapes.back().size(), 0.0);
    for (size_t lag = 0; lag < m_coefficientLags.size() && lag <= p; ++lag) {
        m_coefficientLags[lag] = DotDouble(a.data(), a.data() + lag, p + 1 - lag);
    }
    for (const std::vector<float>& h : m_tickShapes) {
        // s(t) = sum_i h_i m(t + centre - i), h symmetric: the pulse centred
        // on t.
        const size_t w = h.size();
        const size_t centre = (w - 1) / 2;
        const uint64_t lo = std::max<uint64_t>(from, first + (w - 1 - centre));
        const uint64_t hi = std::min<uint64_t>(to, first + n - centre);
        if (lo >= hi) {
            continue;
        }
        const auto count = static_cast<size_t>(hi - lo);
        m_shapeSums.resize(count);
        FilterFloat(m_matched.data() + (lo - first) + centre, h.data(), w, count, m_shapeSums.data());
        double energy = 0.0;
        AutocorrelationFloat(m_shapeSums.data(), count, 0, &energy);
        double white = 0.0; // h'Ch
        for (size_t i = 0; i < w; ++i) {
            for (size_t k = 0; k < w; ++k) {
                white += static_cast<double>(h[i]) * h[k] * m_coefficientLags[i > k ? i - k : k - i];
            }
        }
        const double deviation = std::max(std::sqrt(energy * static_cast<double>(to - from) / (errors * static_cast<double>(count))),
                                          std::sqrt(white));
        RaiseMagnitudes(m_tickSums.data() + (lo - first), m_shapeSums.data(), count, static_cast<float>(1.0 / deviation));
    }
}

void ClickDetector::AddDamage(const ChannelSamples& s, uint64_t start, uint64_t end)
{
    m_replaced.emplace_back(start, end);
    for (uint64_t n = start; n < end; ++n) {
        const double d = static_cast<double>(s.x[n - s.origin]) - m_work[n - s.origin];
        m_damage[BlockIndex(n)] += d * d;
    }
}

bool ClickDetector::MarkWhitenedBlocks()
{
    // The damage whitens a block's model when its energy is a fair share
    // of what the model leaves of the music: the prediction errors at the
    // deviation the detection measured there.
    const size_t subBlock = m_settings.SubBlockLength();
    const size_t perBlock = m_settings.blockLength / subBlock;
    bool any = false;
    for (size_t j = 0; j < m_blocks.size(); ++j) {
        double errors = 0.0;
        for (size_t k = j * perBlock; k < std::min((j + 1) * perBlock, m_sigma.size()); ++k) {
            errors += static_cast<double>(subBlock) * m_sigma[k] * m_sigma[k];
        }
        m_refit[j] = m_damage[j] > kWhitening * errors ? 1 : 0;
        any = any || m_refit[j] != 0;
    }
    return any;
}

void ClickDetector::MergeRuns(std::vector<ChannelRegion>& runs, size_t from)
{
    // In order, and the runs of the second round that touch one of the
    // first (the rest of a pop the whitened model hid) made one with it.
    std::sort(runs.begin() + static_cast<std::ptrdiff_t>(from), runs.end(),
              [](const ChannelRegion& a, const ChannelRegion& b) { return a.start < b.start; });
    size_t kept = from;
    for (size_t i = from; i < runs.size(); ++i) {
        ChannelRegion& last = runs[kept - 1];
        if (kept > from && runs[i].start <= last.end) {
            last.end = std::max(last.end, runs[i].end);
            last.peakSigmas = std::max(last.peakSigmas, runs[i].peakSigmas);
            last.confirmed = last.confirmed || runs[i].confirmed;
            last.faint = last.faint && runs[i].faint;
        } else {
            runs[kept++] = runs[i];
        }
    }
    runs.resize(kept);
}
