// Whether a span of samples holds damage to a model of the music on both
// sides of it. The detection's block models are fitted over their own
// blocks: a note that starts late in a block is barely in its model, whose
// errors then stand high over the note's first milliseconds as if they were
// damaged. A model fitted on the music just before and just after the span
// (Burg's method over the two stretches) knows the note, since it sounds
// after the span; damage stays unpredictable to it. The test is the
// detection's likelihood ratio: the error energy the span's interpolation
// removes, over the errors' deviation on the two sides (from their median
// absolute value), against the chi-square quantile of as many degrees of
// freedom as samples.
//
// And whether a note starts or ends at a span. A click adds to the music
// and is gone: the music after it is the music before it, which a model of
// the music before predicts as well as it predicted its own. A note's onset
// brings partials the music before did not hold, and that model's errors
// stay high after the span for as long as the note sounds; mirrored, a note
// that stops is new to a model of the music after it. The detection cannot
// tell a sharp attack or release (under a millisecond) from damage, and its
// interpolation takes it away.
#pragma once

#include "restore/ArInterpolation.h"
#include "restore/ArModel.h"
#include "restore/RestoreSettings.h"

#include <cstdint>
#include <vector>

struct ChannelSamples;
struct ChannelRegion;

class SideModelTest {
public:
    explicit SideModelTest(const RestoreSettings& settings) : m_settings(settings) {}

    // Whether [start, end) of s stands above the side model's errors by
    // sigmas (a standard normal quantile); also true when the half block on
    // either side cannot be read or no model can be had (nothing is taken
    // for music without the test).
    bool HoldsDamage(const ChannelSamples& s, uint64_t start, uint64_t end, double sigmas);

    // Whether a note starts or ends at [start, end): whether the forward
    // errors of a model of the half block before it stand `rise` times
    // above its errors there (their median absolute values) both just
    // after the span and from gap samples after it, each window ending at
    // the next confirmed run found; or the backward errors of a model of
    // the half block after it, before it. False when too few such errors
    // can be read or no model can be had.
    bool BoundsNote(const ChannelSamples& s, const std::vector<ChannelRegion>& found,
                    uint64_t start, uint64_t end, size_t gap, double rise);

private:
    // Forward: the model of the music before, its errors after (a note
    // starts); backward, the other way round (a note ends).
    enum class Direction { Forward, Backward };

    // One direction of BoundsNote.
    bool MusicChanges(const ChannelSamples& s, const std::vector<ChannelRegion>& found,
                      uint64_t start, uint64_t end, size_t gap, double rise, Direction direction);
    // Appends to m_magnitudes those of the m_taps filter's errors at
    // positions [from, from + count) of s: forward errors, or backward ones
    // (the taps reversed).
    void AppendErrorMagnitudes(const ChannelSamples& s, uint64_t from, size_t count,
                               Direction direction);

    const RestoreSettings& m_settings;
    BurgFit m_burg;
    ArModel m_model;
    std::vector<float> m_taps;
    std::vector<float> m_errors;
    std::vector<float> m_magnitudes;
    std::vector<double> m_values;
    ArInterpolator m_interpolator;
};
