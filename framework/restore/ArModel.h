// Autoregressive models of audio: x[n] is predicted from the p samples
// before it, and the prediction error is e[n] = sum over k <= p of
// a[k] * x[n - k], with a[0] = 1.
//
// Two fits: the autocorrelation method (a Hann-windowed block, solved by
// the Levinson-Durbin recursion), cheap and always stable, for the
// detection pass; and Burg's method over several segments (the undamaged
// context on both sides of a gap), which needs no window and gives better
// models from short data, for the repair.
#pragma once

#include <cstddef>
#include <vector>

struct ArModel {
    std::vector<double> a; // a[0] = 1, a[1 .. order]

    size_t Order() const { return a.empty() ? 0 : a.size() - 1; }
};

// The Levinson-Durbin recursion (Levinson 1947, Durbin 1960; as in Makhoul,
// "Linear prediction: a tutorial review", Proc. IEEE 63, 1975): the order-p
// predictor from the autocorrelation r[0 .. p]. A recursion that loses
// positive definiteness keeps the orders it reached (the higher
// coefficients stay 0). False when r[0] is not positive.
bool LevinsonDurbin(const double* r, size_t order, double* a);

// Burg's method (Burg 1975; for several segments as in de Hoon et al.,
// "Why Yule-Walker should not be used for autoregressive modelling", Ann.
// Geophys. 14, 1996): one model of `order` for all segments together, each
// segment contributing the errors that lie wholly inside it. False when the
// segments hold too little signal.
class BurgFit {
public:
    struct Segment {
        const float* samples;
        size_t length;
    };

    bool Fit(const Segment* segments, size_t count, size_t order, ArModel& model);

private:
    // The sums of stage m over the segments' errors (see BurgSums).
    void StageSums(const Segment* segments, size_t count, size_t m, double& cross, double& power) const;
    // The errors in single precision: they are the recording's own
    // precision, and twice as many fit a vector.
    std::vector<float> m_forward;
    std::vector<float> m_backward;
    std::vector<float> m_backwardNext;
};

// The autocorrelation method for one block: the block times a Hann window,
// its autocorrelation with a little white noise added (whiteNoise times
// r[0]), and the Levinson-Durbin recursion.
class BlockFit {
public:
    explicit BlockFit(size_t blockLength);

    // Fits `order` to the blockLength samples at x.
    bool Fit(const float* x, size_t order, double whiteNoise, ArModel& model);

private:
    std::vector<float> m_window;
    std::vector<float> m_windowed;
    std::vector<double> m_r;
};
