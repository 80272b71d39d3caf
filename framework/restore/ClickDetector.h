// Detection of impulsive damage in one channel (the detection pass of
// Vaseghi and Rayner 1990 and Godsill and Rayner 1998, chapter 5):
//
// 1. Each block gets its own autoregressive model (autocorrelation method),
//    and the forward and backward prediction errors of every sample are
//    computed with it. Music is predictable and its errors stay near the
//    noise; a click is not and stands out.
// 2. The noise of the errors is estimated robustly, from the median
//    absolute deviation of the forward errors, per sub-block of a few
//    milliseconds (the median of five neighbours), so that the clicks
//    themselves do not raise it and a loud new note does not look damaged.
// 3. Samples whose error exceeds a few deviations are candidates. A click
//    spreads its forward error over the samples after it and its backward
//    error over those before, so a candidate starts at its first forward
//    flag (no more than a cluster gap before its first strong one) and ends
//    at its last backward flag; forward flags far apart are two candidates.
// 4. Each candidate is interpolated with the block's model and kept when
//    the interpolation removes more prediction-error energy than noise
//    could (a likelihood-ratio test: under no damage the removed energy
//    over the noise variance is chi-square with as many degrees of
//    freedom as samples interpolated). Candidates are taken in order and
//    each kept one is replaced in a working copy, the strongest first, so
//    the errors it spread do not make ghosts before or after it.
// 5. A candidate is a seed flag with the flags at a lower threshold around
//    it (hysteresis), so that the whole of a long disturbance is taken in;
//    samples at its ends that the interpolation leaves within the noise are
//    given back. The run of a strong one goes on while the errors after it
//    stay above the noise once it is replaced: a pop is a train of
//    impacts.
// 6. A block whose damage holds a fair share of its prediction errors'
//    energy (a pop, a strong click) had a model fitted to the damage too,
//    which predicts the music poorly and hides the weak damage near it:
//    its model is fitted again on the working copy, the damage replaced,
//    and the block searched again.
// 7. A weak tick in loud music stays under the threshold in every single
//    error, but its errors follow the model's coefficients: their sum
//    weighted by the coefficients and the tick's shape (the matched
//    filter) gathers them. A last round seeds candidates there, on the
//    working copy's errors, for pulses of a few widths, each the gap near
//    its peak that the interpolation explains best, and tests them like
//    the rest.
#pragma once

#include "restore/ArInterpolation.h"
#include "restore/ArModel.h"
#include "restore/RestoreSettings.h"

#include <cstdint>
#include <vector>

// A run of damaged samples in one channel.
struct ChannelRegion {
    uint64_t start = 0; // first damaged sample
    uint64_t end = 0;   // one past the last
    uint16_t channel = 0;
    double peakSigmas = 0.0; // largest prediction error, in noise deviations
    bool confirmed = false;  // damage on its own evidence; else only enough to join another channel's
    bool faint = false;      // found only by the matched sums: a weak tick
};

// The samples of one channel that a detection may read: x[i] is sample
// origin + i of the recording, available samples; frames is the
// recording's length.
struct ChannelSamples {
    const float* x = nullptr;
    uint64_t origin = 0;
    size_t available = 0;
    uint64_t frames = 0;
};

class ClickDetector {
public:
    explicit ClickDetector(const RestoreSettings& settings);

    // Appends the damaged runs found in [first, end) (first a multiple of
    // the block length) to out, in order.
    void Detect(const ChannelSamples& samples, uint64_t first, uint64_t end, uint16_t channel,
                std::vector<ChannelRegion>& out);

    // After Detect: whether [start, end) holds damage enough to join a
    // place that another channel found there (the test of step 4 at the
    // join threshold); region gets the run, its ends trimmed.
    bool TestSpan(uint64_t start, uint64_t end, uint16_t channel, ChannelRegion& region);

private:
    struct BlockModel {
        ArModel model;       // detection order
        std::vector<float> taps;         // model.a as floats
        std::vector<float> reversedTaps; // backward error filter
        double sigmaFloor = 0.0;         // the least deviation: below it is rounding, not noise
    };
    struct Candidate {
        uint64_t start, end; // inclusive
        double peakSigmas;
    };

    // Fits every block's model (FitMarkedBlocks, every block marked).
    bool FitBlocks(const ChannelSamples& s, uint64_t first, uint64_t end);
    // Fits the models of the blocks marked in m_refit to the working copy;
    // false when no block has a model.
    bool FitMarkedBlocks(const ChannelSamples& s, uint64_t end);
    // Adds the energy of the damage replaced in [start, end) of the
    // working copy to its blocks' m_damage.
    void AddDamage(const ChannelSamples& s, uint64_t start, uint64_t end);
    // Marks in m_refit the blocks whose models the damage found in them
    // whitened; false when there is none.
    bool MarkWhitenedBlocks();
    // Sorts runs[from ..] and joins those of a kind that overlap or touch.
    static void MergeRuns(std::vector<ChannelRegion>& runs, size_t from);
    void ComputeErrors(const ChannelSamples& s, uint64_t first, uint64_t end);
    // The forward errors of the working copy over [from, to) with block j's
    // model (which it has); none where the order's samples before cannot
    // be read.
    void ForwardErrors(const ChannelSamples& s, size_t j, uint64_t from, uint64_t to);
    void FindCandidates(uint64_t first, uint64_t end);
    // The end of a strong run [start, end), replaced in the working copy,
    // grown window by window while the errors after it stay above
    // levelSigmas.
    uint64_t LevelEnd(const ChannelSamples& s, const BlockModel& block, uint64_t start, uint64_t end);
    void TestCandidates(const ChannelSamples& s, uint16_t channel, std::vector<ChannelRegion>& out);
    // Shortens the run [first, last] (inclusive), just tested, by the
    // samples at its ends that its interpolation leaves within the noise,
    // and tests it again; removed follows.
    void Trim(const ChannelSamples& s, const BlockModel& block, uint64_t& first, uint64_t& last, double& removed);
    // Interpolates [start, end) with the block's model; the removed energy over the noise variance.
    bool TestRun(const ChannelSamples& s, const BlockModel& block, uint64_t start, uint64_t end, double& removed);
    // The block a position lies in (the last for positions past it).
    size_t BlockIndex(uint64_t position) const;
    const BlockModel& BlockAt(uint64_t position) const;
    // The deviation of the prediction error at position.
    double SigmaAt(uint64_t position) const
    {
        return m_sigma[static_cast<size_t>((position - m_first) / m_settings.SubBlockLength())];
    }
    void LocalDeviations(uint64_t first, uint64_t end);
    // The deviation of the forward errors in [from, to) (m_forward starts
    // at first), from their median absolute value; infinite where too few
    // were computed.
    double Deviation(uint64_t from, uint64_t to, uint64_t first);
    // The third round's candidates: weak ticks found by the matched sums of
    // the working copy's forward errors (m_forward gets those).
    void FindMatchedCandidates(uint64_t first, uint64_t end);
    // Raises m_tickSums over block j to each tick shape's matched sum of
    // m_matched there, in deviations of the forward errors.
    void AddTickSums(size_t j, uint64_t first, uint64_t end);

    const RestoreSettings& m_settings;
    ChannelSamples m_samples;
    BlockFit m_fit;
    bool m_faintRound = false; // the candidates being tested are the matched sums'
    std::vector<BlockModel> m_blocks;
    std::vector<char> m_refit;     // per block: its model is fitted (again)
    std::vector<double> m_damage;  // per block: the energy of the confirmed damage replaced
    std::vector<std::pair<uint64_t, uint64_t>> m_replaced; // the stretches of the working copy replaced
    uint64_t m_first = 0; // first sample of block 0
    std::vector<float> m_work;     // working copy, replaced where damage was found
    std::vector<float> m_forward;  // forward errors of [m_first, end)
    std::vector<float> m_backward; // backward errors
    std::vector<float> m_magnitudes;
    std::vector<double> m_subBlockMad;
    std::vector<double> m_sigma; // per sub-block
    std::vector<std::vector<float>> m_tickShapes; // the pulses weak ticks are sought as
    std::vector<float> m_matched;   // A' e: the forward errors' sums matched to a one-sample tick
    std::vector<float> m_tickSums;  // the largest of the shapes' sums, scaled to the errors' deviation
    std::vector<float> m_shapeSums; // one shape's sums over a block
    std::vector<double> m_coefficientLags; // a block model's coefficients' autocorrelation
    std::vector<Candidate> m_candidates;
    std::vector<uint64_t> m_forwardFlags;   // of the candidate being gathered
    std::vector<double> m_forwardStrengths; // of its forward flags, in deviations
    std::vector<double> m_values;
    ArInterpolator m_interpolator;
};

// The median absolute deviation of a normal distribution times this is its
// standard deviation.
inline constexpr double kMadToSigma = 1.4826;

// The median of values (which it reorders); values is not empty.
double Median(std::vector<float>& values);

// The chi-square quantile with `degrees` degrees of freedom that a standard
// normal quantile z corresponds to (Wilson and Hilferty 1931).
double ChiSquareQuantile(double degrees, double z);
