// The ring a click leaves behind; see RingEstimator.h.
#include "restore/RingEstimator.h"

#include "restore/VectorLoops.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// The relative ridge of the impulse's normal matrix, as in the interpolator.
constexpr double kRidge = 1e-10;
// The search: the coarse grid's frequencies and decays; the pattern
// search's first step in the log of the decay time, its smallest frequency
// step (relative) and its most evaluations.
constexpr int kCoarseFrequencies = 12;
constexpr int kCoarseDecays = 3;
// Decay times tried for a plain decay before its pattern search.
constexpr int kDecayTrials = 6;
constexpr double kFirstDecayStep = 0.4;
constexpr double kLastFrequencyStep = 0.001;
constexpr double kLastDecayStep = 0.01;
constexpr int kMostEvaluations = 16;
// Frequencies this close to 0 or to half the rate are not searched: the
// sine part of the basis vanishes there.
constexpr double kEdgeFrequency = std::numbers::pi / (4 * kCoarseFrequencies);
// The ring is subtracted where its envelope is above this many deviations
// of the music's errors: below, subtracting an estimate changes more
// samples than the damage it takes away is worth.
constexpr double kEnvelopeFloor = 2.0;
// The least envelope at the ring's start, in deviations of the music's errors.
constexpr double kLeastAmplitude = 2.0;
// The least amplitude of a plain decay, in deviations of the music's errors.
constexpr double kLeastDecayAmplitude = 20.0;
// The least envelope of a sought ring at its start, as a share of its
// impulse's peak damage.
constexpr double kLeastRingShare = 0.15;
// How far a ring known from another channel must stand above a fit to
// noise, in deviations of the music's errors.
constexpr double kKnownRingSigmas = 4.0;

double Dot(const std::vector<double>& a, const std::vector<double>& b)
{
    return DotDouble(a.data(), b.data(), a.size());
}

} // namespace

void RingEstimator::BasisErrors(double rho, double omega)
{
    // The basis is the complex z^k, z = rho e^(i omega), for k = 0 .. span
    // - 1 from the first sample after the impulse; its cosine and sine
    // parts are the real and imaginary parts. Its error at k is the sum of
    // a[j] z^(k - j) over the j whose sample lies in the span: z^k times a
    // sum of w[j] = a[j] z^-j over consecutive j, a difference of two
    // prefix sums. (Within the decay limits |z|^-order stays far inside the
    // range of a double, and the later terms, the larger ones, dominate
    // both sums.) Plain arithmetic on pairs: the library's complex product
    // checks for infinities on every call, and this is most of the search.
    const double zr = rho * std::cos(omega), zi = rho * std::sin(omega);
    const double ir = zr / (rho * rho), ii = -zi / (rho * rho);
    // Each power is its predecessor's times z: a chain of products that
    // wait on one another. Two chains (even and odd powers, stepping by
    // z^-2) for the sums, four (stepping by z^4) for the rows, halve and
    // quarter the wait.
    m_prefixRe.resize(m_p + 1);
    m_prefixIm.resize(m_p + 1);
    {
        const double i2r = ir * ir - ii * ii, i2i = 2.0 * ir * ii;
        double er = 1.0, ei = 0.0, orr = ir, oi = ii; // z^-j for even and odd j
        double sr = 0.0, si = 0.0;
        size_t j = 0;
        for (; j < m_p; j += 2) {
            sr += m_a[j] * er;
            si += m_a[j] * ei;
            m_prefixRe[j] = sr;
            m_prefixIm[j] = si;
            sr += m_a[j + 1] * orr;
            si += m_a[j + 1] * oi;
            m_prefixRe[j + 1] = sr;
            m_prefixIm[j + 1] = si;
            const double te = er * i2r - ei * i2i;
            ei = er * i2i + ei * i2r;
            er = te;
            const double to = orr * i2r - oi * i2i;
            oi = orr * i2i + oi * i2r;
            orr = to;
        }
        if (j == m_p) {
            m_prefixRe[j] = sr + m_a[j] * er;
            m_prefixIm[j] = si + m_a[j] * ei;
        }
    }
    // Rows before the ring are zero; then, for k < span, the prefix sum up
    // to min(k, order); past the span the difference of two.
    std::fill(m_e1.begin(), m_e1.begin() + static_cast<std::ptrdiff_t>(m_gap), 0.0);
    std::fill(m_e2.begin(), m_e2.begin() + static_cast<std::ptrdiff_t>(m_gap), 0.0);
    double* e1 = m_e1.data() + m_gap;
    double* e2 = m_e2.data() + m_gap;
    const size_t rows = m_rows - m_gap;
    auto row = [&](size_t k, double kr, double ki) {
        const size_t high = std::min(k, m_p);
        double ar = m_prefixRe[high];
        double ai = m_prefixIm[high];
        if (k >= m_span) {
            ar -= m_prefixRe[k - m_span];
            ai -= m_prefixIm[k - m_span];
        }
        e1[k] = kr * ar - ki * ai;
        e2[k] = kr * ai + ki * ar;
    };
    double kr[4], ki[4];
    kr[0] = 1.0;
    ki[0] = 0.0;
    for (int c = 1; c < 4; ++c) {
        kr[c] = kr[c - 1] * zr - ki[c - 1] * zi;
        ki[c] = kr[c - 1] * zi + ki[c - 1] * zr;
    }
    const double z4r = kr[3] * zr - ki[3] * zi, z4i = kr[3] * zi + ki[3] * zr;
    size_t k = 0;
    for (; k + 4 <= rows; k += 4) {
        for (int c = 0; c < 4; ++c) {
            row(k + static_cast<size_t>(c), kr[c], ki[c]);
            const double t = kr[c] * z4r - ki[c] * z4i;
            ki[c] = kr[c] * z4i + ki[c] * z4r;
            kr[c] = t;
        }
    }
    for (int c = 0; k < rows; ++k, ++c) {
        row(k, kr[c], ki[c]);
    }
}

void RingEstimator::BasisValues(double rho, double omega)
{
    m_basis.resize(2 * m_span);
    const double zr = rho * std::cos(omega), zi = rho * std::sin(omega);
    double kr = 1.0, ki = 0.0;
    for (size_t k = 0; k < m_span; ++k) {
        m_basis[k] = kr;
        m_basis[m_span + k] = ki;
        const double t = kr * zr - ki * zi;
        ki = kr * zi + ki * zr;
        kr = t;
    }
}

void RingEstimator::ImpulseProduct(const std::vector<double>& w, std::vector<double>& out) const
{
    // Column j of A_u holds a[k] at row j + k.
    out.resize(m_gap);
    for (size_t j = 0; j < m_gap; ++j) {
        out[j] = DotDouble(m_a.data(), w.data() + j, m_p + 1);
    }
}

RingEstimator::Fit RingEstimator::Solve(double rho, double omega)
{
    Fit fit;
    fit.rho = rho;
    fit.omega = omega;
    BasisErrors(rho, omega);
    ImpulseProduct(m_e1, m_b1);
    m_s1 = m_b1;
    if (!m_toeplitz.Solve(m_c.data(), m_c.size(), m_s1.data(), m_gap)) {
        return fit;
    }
    if (omega == 0.0) {
        // A plain decay: the sine part is zero, one amplitude.
        m_b2.assign(m_gap, 0.0);
        m_s2.assign(m_gap, 0.0);
        const double g11 = Dot(m_e1, m_e1) - Dot(m_b1, m_s1);
        if (g11 > 0.0) {
            fit.alpha = (Dot(m_e1, m_e0) - Dot(m_b1, m_s0)) / g11;
            fit.gain = fit.alpha * fit.alpha * g11;
        }
        return fit;
    }
    ImpulseProduct(m_e2, m_b2);
    m_s2 = m_b2;
    if (!m_toeplitz.Solve(m_c.data(), m_c.size(), m_s2.data(), m_gap)) {
        return fit;
    }
    // The projected normal equations of alpha and beta: P e_i . P e_j =
    // e_i . e_j - b_i . S^-1 b_j.
    const double g11 = Dot(m_e1, m_e1) - Dot(m_b1, m_s1);
    const double g12 = Dot(m_e1, m_e2) - Dot(m_b1, m_s2);
    const double g22 = Dot(m_e2, m_e2) - Dot(m_b2, m_s2);
    const double h1 = Dot(m_e1, m_e0) - Dot(m_b1, m_s0);
    const double h2 = Dot(m_e2, m_e0) - Dot(m_b2, m_s0);
    const double det = g11 * g22 - g12 * g12;
    if (!(det > 1e-6 * g11 * g22)) {
        return fit;
    }
    fit.alpha = (g22 * h1 - g12 * h2) / det;
    fit.beta = (g11 * h2 - g12 * h1) / det;
    fit.gain = fit.alpha * h1 + fit.beta * h2;
    return fit;
}

bool RingEstimator::SetImpulse(size_t impulse, const RingLimits& limits)
{
    // The errors with samples [impulse, run) known again: their columns
    // added back to the errors of the zeroed run.
    m_gap = impulse;
    m_span = m_run - impulse + limits.maxLength;
    m_e0 = m_eRun;
    for (size_t i = impulse; i < m_run; ++i) {
        AxpyDouble(m_e0.data() + i, m_a.data(), m_p + 1, m_y[m_p + i]);
    }
    ImpulseProduct(m_e0, m_b0);
    m_s0 = m_b0;
    if (!m_toeplitz.Solve(m_c.data(), m_c.size(), m_s0.data(), m_gap)) {
        return false;
    }
    m_error0 = Dot(m_e0, m_e0) - Dot(m_b0, m_s0);
    return true;
}

RingEstimator::Fit RingEstimator::Refine(Fit best, const RingLimits& limits, double frequencyStep,
                                         double decayStep)
{
    // A pattern search in frequency and in the log of the decay time (a
    // plain decay, at frequency zero, in the decay time only).
    auto decayOf = [](double r) { return std::log(-1.0 / std::log(r)); };
    auto rhoOf = [&](double d) {
        return std::clamp(std::exp(-1.0 / std::exp(d)), limits.minRho, limits.maxRho);
    };
    auto searching = [&] {
        return best.omega == 0.0 ? decayStep > kLastDecayStep
                                 : frequencyStep > kLastFrequencyStep * best.omega;
    };
    for (int evaluations = 1; evaluations < kMostEvaluations && searching();) {
        const double d = decayOf(best.rho);
        const double trials[4][2] = {{best.omega + frequencyStep, best.rho},
                                     {best.omega - frequencyStep, best.rho},
                                     {best.omega, rhoOf(d + decayStep)},
                                     {best.omega, rhoOf(d - decayStep)}};
        bool moved = false;
        for (const auto& trial : trials) {
            // A plain decay stays one; a ring stays within the frequencies searched.
            const bool allowed = best.omega == 0.0
                                     ? trial[0] == 0.0
                                     : trial[0] >= LowestOmega(limits) && trial[0] <= HighestOmega(limits);
            if (!allowed) {
                continue;
            }
            const Fit fit = Solve(trial[1], trial[0]);
            ++evaluations;
            if (fit.gain > best.gain) {
                best = fit;
                moved = true;
            }
        }
        if (!moved) {
            frequencyStep /= 2.0;
            decayStep /= 2.0;
        }
    }
    return best;
}

bool RingEstimator::Prepare(const ArModel& model, const float* x, size_t gapStart, size_t gapEnd,
                            const RingLimits& limits)
{
    m_p = model.Order();
    if (m_p == 0 || gapEnd <= gapStart || limits.maxLength < 4 || gapStart < m_p + limits.lead) {
        return false;
    }
    m_a = model.a;
    m_reversed.assign(m_a.rbegin(), m_a.rend());
    m_c.resize(m_p + 1);
    for (size_t l = 0; l <= m_p; ++l) {
        m_c[l] = DotDouble(m_a.data(), m_a.data() + l, m_p + 1 - l);
    }
    m_c[0] *= 1.0 + kRidge;
    // The music's error deviation, from the errors just before the click.
    m_y.assign(x + (gapStart - limits.lead - m_p), x + gapStart);
    double lead = 0.0;
    for (size_t n = 0; n < limits.lead; ++n) {
        const double e = DotDouble(m_reversed.data(), m_y.data() + n, m_p + 1);
        lead += e * e;
    }
    m_variance = lead / static_cast<double>(std::max<size_t>(limits.lead, 1));
    if (!(m_variance > 0.0)) {
        return false;
    }
    // Local copy from gapStart - p with the whole run zeroed, and its errors.
    const float* base = x + (gapStart - m_p);
    m_run = gapEnd - gapStart;
    m_rows = m_run + limits.maxLength + m_p;
    m_e1.resize(m_rows);
    m_e2.resize(m_rows);
    m_y.assign(base, base + m_p + m_rows);
    std::fill(m_y.begin() + static_cast<std::ptrdiff_t>(m_p),
              m_y.begin() + static_cast<std::ptrdiff_t>(m_p + m_run), 0.0);
    m_eRun.resize(m_rows);
    for (size_t r = 0; r < m_rows; ++r) {
        m_eRun[r] = DotDouble(m_reversed.data(), m_y.data() + r, m_p + 1);
    }
    for (size_t i = 0; i < m_run; ++i) {
        m_y[m_p + i] = base[m_p + i];
    }
    return SetImpulse(m_run, limits);
}

double RingEstimator::GainAt(const ArModel& model, const float* x, size_t gapStart, size_t gapEnd,
                             const RingLimits& limits, double rho, double omega)
{
    if (!Prepare(model, x, gapStart, gapEnd, limits)) {
        return 0.0;
    }
    const Fit fit = Solve(rho, omega);
    return fit.gain > 0.0 ? fit.gain / m_variance : 0.0;
}

double RingEstimator::LowestOmega(const RingLimits& limits)
{
    return std::max(kEdgeFrequency, limits.lowestOmega);
}

double RingEstimator::HighestOmega(const RingLimits& limits)
{
    return std::min(std::numbers::pi - kEdgeFrequency, limits.highestOmega);
}

double RingEstimator::FirstFrequencyStep(const RingLimits& limits)
{
    return (HighestOmega(limits) - LowestOmega(limits)) / (2 * kCoarseFrequencies);
}

bool RingEstimator::PrepareLongestImpulse(const ArModel& model, const float* x, size_t gapStart, size_t gapEnd,
                                          const RingLimits& limits, double& fullError, size_t& longest)
{
    // The ring is sought after the longest impulse a run may start with;
    // the error of the whole run taken as unknown, without a ring, is the
    // measure it must beat.
    if (!Prepare(model, x, gapStart, gapEnd, limits)) {
        return false;
    }
    fullError = m_error0;
    longest = std::min(m_run, std::max<size_t>(limits.longestImpulse, 1));
    return longest == m_run || SetImpulse(longest, limits);
}

bool RingEstimator::EstimateAt(const ArModel& model, const float* x, size_t gapStart, size_t gapEnd,
                               const RingLimits& limits, double rho, double omega, std::vector<double>& ring,
                               size_t& ringStart)
{
    double fullError = 0.0;
    size_t longest = 0;
    if (!PrepareLongestImpulse(model, x, gapStart, gapEnd, limits, fullError, longest)) {
        return false;
    }
    const Fit fit = Solve(rho, omega);
    return fit.gain > 0.0 && Finish(fit, fullError, longest, gapStart, limits, true, ring, ringStart);
}

bool RingEstimator::Estimate(const ArModel& model, const float* x, size_t gapStart, size_t gapEnd,
                             const RingLimits& limits, std::vector<double>& ring, size_t& ringStart)
{
    // A coarse search over frequency and decay, then a pattern search in
    // frequency and in the log of the decay time.
    double fullError = 0.0;
    size_t longest = 0;
    if (!PrepareLongestImpulse(model, x, gapStart, gapEnd, limits, fullError, longest)) {
        return false;
    }
    Fit best;
    auto decayOf = [](double r) { return std::log(-1.0 / std::log(r)); };
    auto rhoOf = [&](double d) {
        return std::clamp(std::exp(-1.0 / std::exp(d)), limits.minRho, limits.maxRho);
    };
    const double fastest = decayOf(limits.minRho);
    const double slowest = decayOf(limits.maxRho);
    const double low = LowestOmega(limits);
    const double high = HighestOmega(limits);
    if (!(low < high)) {
        return false;
    }
    for (int j = 0; j < kCoarseDecays; ++j) {
        const double rho = rhoOf(fastest + (slowest - fastest) * (j + 0.5) / kCoarseDecays);
        for (int i = 0; i < kCoarseFrequencies; ++i) {
            const Fit fit = Solve(rho, low + (high - low) * (i + 0.5) / kCoarseFrequencies);
            if (fit.gain > best.gain) {
                best = fit;
            }
        }
    }
    if (!(best.gain > 0.0)) {
        return false;
    }
    const double firstStep = FirstFrequencyStep(limits);
    best = Refine(best, limits, firstStep, kFirstDecayStep);
    if (best.omega < low + firstStep / 2.0) {
        // Pressed against the lowest frequency: no ring, but perhaps a
        // spike's tail, a plain decay (the ring at frequency zero).
        best = Fit{};
        for (int j = 0; j < kDecayTrials; ++j) {
            const Fit fit =
                Solve(rhoOf(fastest + (slowest - fastest) * (j + 0.5) / kDecayTrials), 0.0);
            if (fit.gain > best.gain) {
                best = fit;
            }
        }
        if (!(best.gain > 0.0)) {
            return false;
        }
        best = Refine(best, limits, firstStep, kFirstDecayStep);
    }
    return Finish(best, fullError, longest, gapStart, limits, false, ring, ringStart);
}

bool RingEstimator::Finish(Fit best, double fullError, size_t longest, size_t gapStart, const RingLimits& limits, bool known,
                           std::vector<double>& ring, size_t& ringStart)
{
    const double variance = m_variance;
    const double firstStep = FirstFrequencyStep(limits);
    // The impulse may be shorter still: the length that leaves the least
    // error energy, each sample taken as unknown costing the limits'
    // sampleCost variances.
    auto cost = [&](size_t q) { return static_cast<double>(m_run - q) * limits.sampleCost * variance; };
    Fit chosen = best;
    size_t impulse = longest;
    double least = m_error0 - best.gain - cost(longest);
    for (size_t q = longest - 1; q >= 1; --q) {
        if (!SetImpulse(q, limits)) {
            break;
        }
        const Fit fit = Solve(best.rho, best.omega);
        const double error = m_error0 - fit.gain - cost(q);
        if (fit.gain > 0.0 && error < least) {
            least = error;
            chosen = fit;
            impulse = q;
        }
    }
    if (!SetImpulse(impulse, limits)) {
        return false;
    }
    // A last, finer search at that length: a strong ring must be matched
    // closely, or what is left of it outweighs the samples saved.
    best = Refine(chosen, limits, firstStep / 4.0, kFirstDecayStep / 4.0);
    best.gain = fullError - (m_error0 - best.gain) + cost(impulse);
    // A ring of another channel's frequency and decay, confirmed there,
    // is known to be present: it need only stand clear of a fit to noise.
    const double sigmas = known ? kKnownRingSigmas : limits.sigmas;
    if (!(best.gain > sigmas * sigmas * variance)) {
        return false;
    }
    // A ring is excited by the impulse and is weaker than it: the impulse's
    // damage (the recording minus its interpolation with the ring
    // subtracted) must stand above the ring's envelope. A known ring is
    // spared this test: where the ring starts at a node of its sine the
    // interpolation takes part of the impulse into the ring's first
    // samples, and the ring left in place spoils that interpolation more
    // than any misfit (seen: a channel rebuilt 3 dB worse than left).
    Solve(best.rho, best.omega);
    const bool decay = best.omega == 0.0;
    const double amplitude = std::hypot(best.alpha, best.beta);
    double impulsePeak = 0.0;
    for (size_t j = 0; j < m_gap; ++j) {
        const double value = -(m_s0[j] - best.alpha * m_s1[j] - best.beta * m_s2[j]);
        impulsePeak = std::max(impulsePeak, std::fabs(m_y[m_p + j] - value));
    }
    // A fit that stands no higher than the music's own errors, or that
    // decays as slowly as allowed, is the model's misfit of the music
    // around the click, not a ring; so, mostly, is a sought ring far weaker
    // than its impulse (at 384 kHz such fits after crackle ticks, a tenth
    // of the tick, changed a few hundred samples of music each).
    const bool trace = !known && !decay && amplitude < kLeastRingShare * impulsePeak;
    if (!(amplitude < impulsePeak || decay || known) || trace || amplitude < kLeastAmplitude * std::sqrt(variance) ||
        best.rho >= limits.maxRho * (1.0 - 1e-9)) {
        return false;
    }
    // A plain decay is a spike's tail only when it stands far above the
    // music's errors and starts inside the run: the detection flags the
    // first samples after a spike's step, so most of the run is the decay,
    // not the impulse. One wholly after the run is the low notes of the
    // music, which a model of a few milliseconds follows poorly. (A spike
    // is all tail: it is not weaker than its impulse.)
    if (decay && (amplitude < kLeastDecayAmplitude * std::sqrt(variance) || 2 * impulse > m_run)) {
        return false;
    }
    m_rho = best.rho;
    m_omega = best.omega;
    BasisValues(best.rho, best.omega);
    // The kept ring, where its envelope stands above the floor.
    const double floor = kEnvelopeFloor * std::sqrt(variance);
    const size_t length =
        amplitude > floor
            ? std::min<size_t>(m_span, static_cast<size_t>(std::ceil(std::log(floor / amplitude) /
                                                                     std::log(best.rho))))
            : 0;
    ringStart = gapStart + m_gap;
    ring.resize(length);
    for (size_t k = 0; k < length; ++k) {
        ring[k] = best.alpha * m_basis[k] + best.beta * m_basis[m_span + k];
    }
    return length > 0 &&
           std::all_of(ring.begin(), ring.end(), [](double v) { return std::isfinite(v); });
}
