// Least-squares autoregressive interpolation (Janssen, Veldhuis and Vries,
// "Adaptive interpolation of discrete-time signals that can be modeled as
// autoregressive processes", IEEE Trans. ASSP 34, 1986; Vaseghi and Rayner,
// "Detection and suppression of impulsive noise in speech communication
// systems", IEE Proc. I 137, 1990; Godsill and Rayner, "Digital Audio
// Restoration", 1998, section 5.2): the unknown samples are the values that
// minimise the energy of the model's prediction error over every error that
// involves them, given the known samples around them.
//
// With the error e = A x split into the unknown and known parts,
// e = A_u x_u + A_k x_k, the minimum is at (A_u' A_u) x_u = -A_u' A_k x_k.
// A_u' A_u has the entries c[|t_i - t_j|], c the autocorrelation of the
// coefficients, so for one contiguous gap it is Toeplitz.
#pragma once

#include "restore/ArModel.h"
#include "restore/LinearSolvers.h"

#include <cstddef>
#include <vector>

class ArInterpolator {
public:
    struct Result {
        double errorBefore = 0.0; // prediction error energy over the affected errors, as recorded
        double errorAfter = 0.0;  // the same with the interpolated values
    };

    // Takes the model the next interpolations use (its coefficients'
    // autocorrelation is computed once here).
    void Prepare(const ArModel& model);

    // x: samples, with order samples readable before unknown[0] and after
    // unknown[count - 1]; unknown: ascending indices into x. The
    // interpolated values go to values[0 .. count). False when the system
    // cannot be solved or a value is not finite.
    bool Interpolate(const float* x, const size_t* unknown, size_t count, double* values, Result* result = nullptr);
    // The same for the contiguous gap x[first .. first + count), and the
    // prediction-error energy its interpolation removes.
    bool InterpolateSpan(const float* x, size_t first, size_t count, double* values, double& removed);

    // How far a gap's start and end may move in Localise.
    struct Reach {
        size_t start = 0, end = 0;
    };
    // Where the damage near the gap [start, end) of x most likely lies: the
    // contiguous gap, its start within reach.start of start and its end
    // within reach.end of end, whose interpolation removes the most
    // prediction-error energy less sampleCost for every sample it takes;
    // start and end get it. Order samples must be readable on both sides of
    // [start - reach.start, end + reach.end). False (start and end
    // unchanged) when no gap removes more than it costs.
    bool Localise(const float* x, size_t& start, size_t& end, Reach reach, double sampleCost);

    // A gap [start, end) of sample indices.
    struct Gap {
        size_t start = 0, end = 0;
    };
    // The gap within [lo, hi) of x that removes the most error energy less
    // its cost (as in Localise); false when none removes more than it
    // costs. O((hi - lo)^3).
    bool Strongest(const float* x, size_t lo, size_t hi, double sampleCost, Gap& gap);
    // Two gaps within [lo, hi), at least `clean` samples apart, each the
    // strongest on its side of a point between them, the pair whose removals
    // less costs add up to the most (each gap's removal taken alone: the
    // caller weighs the pair together); false when there is none.
    bool ProposeSplit(const float* x, size_t lo, size_t hi, size_t clean, double sampleCost, Gap& first, Gap& second);

    // The variance of the first (and, the matrix being persymmetric, the
    // last) value of a contiguous gap of count samples, in variances of the
    // prediction error: the first diagonal entry of (A_u' A_u)^-1. 0 when
    // it cannot be had.
    double EndVariance(size_t count);

private:
    struct Choice {
        double net = 0.0;
        Gap gap;
    };
    // Solves the normal equations A_u' A_u x = b (b overwritten) of
    // unknowns of which unknown[run .. run + n) are a contiguous gap;
    // false when they cannot be solved.
    bool SolveAroundGap(const size_t* unknown, size_t count, size_t run, size_t n, double* b);
    // The sum over 0 < |d| <= p of c[|d|] y[d]: y[-p .. p] must be readable.
    double NeighbourProducts(const double* y) const;
    // m_g: A_u' e of the recording for every sample of [from, to) of x.
    void RecordingProducts(const float* x, size_t from, size_t to);
    // m_removed[k]: the energy the gap of m_g's samples first .. first + k
    // removes; false when the system cannot be solved.
    bool RemovalsFrom(size_t first);
    // m_nets: the removal less the cost of every gap within [lo, hi) of x,
    // [lo + a, lo + b) at a * (hi - lo + 1) + b.
    void GapNets(const float* x, size_t lo, size_t hi, double sampleCost);

    // Error energy over rows [first, last] of the prediction error of y.
    double ErrorEnergy(const double* y, size_t first, size_t last) const;

    std::vector<double> m_a;
    std::vector<double> m_c;
    std::vector<double> m_cReversed; // c[p] .. c[1]
    std::vector<double> m_reversed;  // the coefficients, last first
    std::vector<double> m_y;         // the samples around the gap
    std::vector<double> m_z;
    std::vector<double> m_g;       // A_u' e of the recording, per sample of a localisation's window
    std::vector<double> m_removed; // the energy a gap from one start removes, by its length
    std::vector<double> m_nets;
    std::vector<Choice> m_byEnd, m_byStart;
    std::vector<size_t> m_others; // SolveAroundGap's unknowns outside the gap
    std::vector<double> m_cross;  // its B, column by column
    std::vector<double> m_solved; // T^-1 B
    std::vector<double> m_rest;   // the right-hand side and solution of the others
    std::vector<size_t> m_span;   // InterpolateSpan's unknowns
    ToeplitzSolver m_toeplitz;
    ToeplitzInverse m_inverse;
    BandedCholeskySolver m_banded;
};
