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
#pragma once

#include "restore/ArInterpolation.h"
#include "restore/ArModel.h"
#include "restore/RestoreSettings.h"

#include <cstdint>
#include <vector>

struct ChannelSamples;

class SideModelTest {
public:
    explicit SideModelTest(const RestoreSettings& settings) : m_settings(settings) {}

    // Whether [start, end) of s stands above the side model's errors by
    // sigmas (a standard normal quantile); also true when the half block on
    // either side cannot be read or no model can be had (nothing is taken
    // for music without the test).
    bool HoldsDamage(const ChannelSamples& s, uint64_t start, uint64_t end, double sigmas);

private:
    const RestoreSettings& m_settings;
    BurgFit m_burg;
    ArModel m_model;
    std::vector<float> m_taps;
    std::vector<float> m_errors;
    std::vector<float> m_magnitudes;
    std::vector<double> m_values;
    ArInterpolator m_interpolator;
};
