// The ring a click leaves behind. A click knocks the stylus, which rings at
// the resonance of the cartridge: after the impulse the damage is a damped
// sinusoid,
//
//     d[end + k] = rho^k (alpha cos(omega k) + beta sin(omega k)),
//
// itself an autoregressive process of order two, which a model of the music
// predicts nearly as well as the music. Detection therefore takes the
// impulse and leaves the ring, and interpolating the ring's span as unknown
// samples would throw away the music there with it. Instead the ring is
// estimated and subtracted, jointly with the interpolation of the impulse:
//
// 1. For a given frequency and decay the ring is linear in alpha and beta,
//    and the impulse samples are linear in the data: the least-squares AR
//    interpolation (Janssen, Veldhuis and Vries 1986) of the impulse from
//    the recording minus the ring leaves a prediction-error energy that is
//    a quadratic in alpha and beta, minimised in closed form (the
//    projection of the ring's errors out of the impulse's columns, a
//    separable least-squares problem: Golub and Pereyra, SIAM J. Numer.
//    Anal. 10, 1973).
// 2. With the ring starting after the longest impulse a run may begin with
//    (the run's other samples known), a coarse grid of frequencies and
//    decays, then a pattern search, minimises that energy. When the best
//    ring is pressed against the lowest frequency, a plain decay (omega
//    zero, one amplitude: a spike's tail) is sought instead, in the decay
//    alone.
// 3. The impulse may be shorter: each shorter length is tried at that
//    frequency and decay, every sample left unknown costing a few error
//    variances, and the search is refined at the length chosen.
// 4. The ring is kept when it removes more prediction-error energy than a
//    fit to noise could (sigmas squared times the error variance of the
//    music just before the click) compared with the whole run taken as
//    unknown without a ring, is weaker than its impulse (but not a trace
//    of it, under 0.15 of its peak), stands above the music's errors, and
//    sits at neither the slowest decay nor the lowest frequency (a fit
//    pressed against those is the music's misfit). A
//    plain decay (a spike is all tail, not weaker than its impulse) must
//    stand far above the music's errors and start inside the run. The ring
//    reaches as far as its envelope stands above twice the music's
//    deviation. A ring of the frequency and decay another channel found
//    need only stand clear of a fit to noise. The caller subtracts it and
//    interpolates the impulse from the cleaned samples.
#pragma once

#include "restore/ArModel.h"
#include "restore/LinearSolvers.h"

#include <cstddef>
#include <numbers>
#include <vector>

struct RingLimits {
    size_t maxLength = 0;      // samples after the impulse that a ring may take
    double minRho = 0.0;       // the fastest decay per sample
    double maxRho = 0.0;       // the slowest
    double sigmas = 0.0;       // how far the ring's gain must stand above noise
    size_t lead = 0;           // samples before the impulse whose errors give the music's deviation
    size_t longestImpulse = 0; // the most samples of a run taken as the impulse when a ring follows
    double lowestOmega = 0.0;  // the lowest ring frequency, radians per sample
    double highestOmega = std::numbers::pi; // the highest
    double sampleCost = 0.0;   // what a sample taken as unknown costs, in error variances
};

class RingEstimator {
public:
    // x: samples; the run [gapStart, gapEnd) is damaged. Readable: order +
    // lead samples before gapStart, maxLength + order after gapEnd. On a
    // ring, ring gets the damage it does to the samples from ringStart on
    // (the impulse is [gapStart, ringStart), ringStart <= gapEnd); false
    // when there is none (or nothing could be estimated).
    bool Estimate(const ArModel& model, const float* x, size_t gapStart, size_t gapEnd,
                  const RingLimits& limits, std::vector<double>& ring, size_t& ringStart);

    // The same for a ring of about the given frequency and decay (another
    // channel's: the stylus rings alike in every channel): its amplitudes,
    // its impulse's length and a fine search around it.
    bool EstimateAt(const ArModel& model, const float* x, size_t gapStart, size_t gapEnd,
                    const RingLimits& limits, double rho, double omega, std::vector<double>& ring,
                    size_t& ringStart);

    // The frequency and decay of the last ring Estimate found.
    double Rho() const { return m_rho; }
    double Omega() const { return m_omega; }

    // How much error energy, in variances of the music's errors, a ring of
    // the given frequency and decay removes after the run [gapStart,
    // gapEnd) of x (read as in Estimate): another channel's confirmation
    // of a ring.
    double GainAt(const ArModel& model, const float* x, size_t gapStart, size_t gapEnd,
                  const RingLimits& limits, double rho, double omega);

private:
    struct Fit {
        double rho = 0.0, omega = 0.0;
        double alpha = 0.0, beta = 0.0;
        double gain = -1.0; // error energy removed by the ring
    };
    // Errors over the rows of the impulse and the ring of the basis
    // rho^k cos(omega k) (m_e1) and rho^k sin(omega k) (m_e2).
    void BasisErrors(double rho, double omega);
    // The model, the music's variance and the errors with the whole run
    // unknown; false when they cannot be had.
    bool Prepare(const ArModel& model, const float* x, size_t gapStart, size_t gapEnd,
                 const RingLimits& limits);
    // Takes the first `impulse` samples of the run as unknown, the rest as
    // known: m_e0, m_b0, m_s0 and m_error0 (the least error energy without
    // a ring) follow.
    bool SetImpulse(size_t impulse, const RingLimits& limits);
    // m_basis: the cosine and sine parts over the span.
    void BasisValues(double rho, double omega);
    // A_u' w for the impulse's columns into out.
    void ImpulseProduct(const std::vector<double>& w, std::vector<double>& out) const;
    // The ring of frequency and decay that removes the most error energy.
    Fit Solve(double rho, double omega);
    // A pattern search from best with the first steps given.
    Fit Refine(Fit best, const RingLimits& limits, double frequencyStep, double decayStep);
    // Prepare, then the longest impulse a run may start with taken as
    // unknown; fullError: the error with the whole run unknown.
    bool PrepareLongestImpulse(const ArModel& model, const float* x, size_t gapStart, size_t gapEnd,
                               const RingLimits& limits, double& fullError, size_t& longest);
    // From the best ring at the longest impulse: the impulse's length, a
    // finer search, the tests a ring must pass (fewer when known: its
    // frequency and decay come from another channel), and the ring kept.
    bool Finish(Fit best, double fullError, size_t longest, size_t gapStart, const RingLimits& limits, bool known,
                std::vector<double>& ring, size_t& ringStart);
    // The band of ring frequencies searched (radians per sample).
    static double LowestOmega(const RingLimits& limits);
    static double HighestOmega(const RingLimits& limits);
    static double FirstFrequencyStep(const RingLimits& limits);

    std::vector<double> m_a;
    std::vector<double> m_c;        // autocorrelation of the coefficients
    std::vector<double> m_reversed; // the coefficients, last first
    size_t m_p = 0, m_run = 0, m_gap = 0, m_span = 0, m_rows = 0;
    std::vector<double> m_y;    // x from gapStart - p to gapEnd + maxLength + p
    std::vector<double> m_eRun; // errors of m_y with the run zeroed
    double m_error0 = 0.0;
    double m_variance = 0.0;
    double m_rho = 0.0, m_omega = 0.0;
    std::vector<double> m_e0; // errors of m_y over the rows, the impulse zeroed
    std::vector<double> m_b0; // A_u' m_e0
    std::vector<double> m_s0; // S^-1 m_b0
    std::vector<double> m_basis, m_e1, m_e2, m_b1, m_b2, m_s1, m_s2;
    std::vector<double> m_prefixRe, m_prefixIm;
    ToeplitzSolver m_toeplitz;
};
