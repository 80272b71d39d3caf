// The ring after a click; see DampedRing.h.
#include "restore/DampedRing.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdio>
#include <cstdlib>

namespace {

// Pole angles of the coarse search, evenly over (0, pi).
constexpr int kAngles = 24;
// Decay times of the coarse search, in milliseconds, doubling.
constexpr double kShortestDecayMs = 0.005;
static const int kDecays = std::getenv("X_NDEC") ? std::atoi(std::getenv("X_NDEC")) : 7;
// Halvings of the refinement steps.
constexpr int kRefinements = 10;

} // namespace

void DampedRing::AddTo(float* x, uint64_t origin, double sign) const
{
    // A rotating phasor: radius^r e^(i angle r).
    const double stepRe = radius * std::cos(angle), stepIm = radius * std::sin(angle);
    double re = 1.0, im = 0.0;
    float* out = x + (start - origin);
    for (uint32_t r = 0; r < length; ++r) {
        out[r] = static_cast<float>(out[r] + sign * (cosAmplitude * re + sinAmplitude * im));
        const double nextRe = re * stepRe - im * stepIm;
        im = re * stepIm + im * stepRe;
        re = nextRe;
    }
}

RingFitter::RingFitter(const RestoreSettings& settings) : m_settings(settings) {}

double RingFitter::Reduction(double radius, double angle, double& c, double& s) const
{
    // The filtered phasor g[r] = sum over k <= min(r, p) of a[k] z^(r - k):
    // g[r] = z g[r - 1] + a[r] while r <= p, then z g[r - 1]. Its real and
    // imaginary parts are the filtered cosine and sine.
    const std::vector<double>& a = m_model->a;
    const size_t p = a.size() - 1;
    const double zr = radius * std::cos(angle), zi = radius * std::sin(angle);
    double gr = 0.0, gi = 0.0;
    double m11 = 0.0, m12 = 0.0, m22 = 0.0, b1 = 0.0, b2 = 0.0;
    for (size_t r = 0; r < m_error.size(); ++r) {
        const double nr = gr * zr - gi * zi + (r <= p ? a[r] : 0.0);
        gi = gr * zi + gi * zr;
        gr = nr;
        m11 += gr * gr;
        m12 += gr * gi;
        m22 += gi * gi;
        b1 += m_error[r] * gr;
        b2 += m_error[r] * gi;
    }
    const double det = m11 * m22 - m12 * m12;
    if (!(det > 1e-12 * (m11 * m22)) || !(det > 0.0)) {
        c = s = 0.0;
        return 0.0;
    }
    c = (m22 * b1 - m12 * b2) / det;
    s = (m11 * b2 - m12 * b1) / det;
    return c * b1 + s * b2;
}

bool RingFitter::Fit(const float* x, uint64_t origin, const ArModel& model, uint64_t start, double sigma,
                     double largest, DampedRing& ring)
{
    const size_t p = model.Order();
    if (p == 0 || !(sigma > 0.0)) {
        return false;
    }
    m_model = &model;
    m_error.resize(m_settings.ringWindow);
    const float* at = x + (start - origin);
    for (size_t r = 0; r < m_error.size(); ++r) {
        double e = 0.0;
        for (size_t k = 0; k <= p; ++k) {
            e += model.a[k] * at[static_cast<std::ptrdiff_t>(r) - static_cast<std::ptrdiff_t>(k)];
        }
        m_error[r] = e;
    }
    // Coarse search over angle and decay, then a pattern search around the
    // best, halving its steps.
    const double rate = static_cast<double>(m_settings.rate);
    auto radiusOf = [&](double logDecay) { return std::exp(-1000.0 / (rate * std::exp(logDecay))); };
    double bestAngle = 0.0, bestLogDecay = 0.0, best = -1.0, c = 0.0, s = 0.0;
    for (int i = 0; i < kDecays; ++i) {
        const double logDecay = std::log(kShortestDecayMs) + i * std::log(2.0);
        for (int j = 0; j < kAngles; ++j) {
            const double angle = std::numbers::pi * (j + 0.5) / kAngles;
            const double value = Reduction(radiusOf(logDecay), angle, c, s);
            if (value > best) {
                best = value;
                bestAngle = angle;
                bestLogDecay = logDecay;
            }
        }
    }
    double angleStep = std::numbers::pi / kAngles / 2.0, decayStep = std::log(2.0) / 2.0;
    const double longest = std::log(kShortestDecayMs) + kDecays * std::log(2.0);
    for (int i = 0; i < kRefinements; ++i) {
        const double tries[4][2] = {{angleStep, 0.0}, {-angleStep, 0.0}, {0.0, decayStep}, {0.0, -decayStep}};
        for (const auto& t : tries) {
            const double angle = bestAngle + t[0];
            const double logDecay = std::min(bestLogDecay + t[1], longest);
            if (angle <= 0.0 || angle >= std::numbers::pi) {
                continue;
            }
            const double value = Reduction(radiusOf(logDecay), angle, c, s);
            if (value > best) {
                best = value;
                bestAngle = angle;
                bestLogDecay = logDecay;
            }
        }
        angleStep /= 2.0;
        decayStep /= 2.0;
    }
    if (std::getenv("X_DBG")) fprintf(stderr, "ringfit start %lu best %.1f sig2 angle %.3f decay %.4fms\n", (unsigned long)start, best/(sigma*sigma), bestAngle, std::exp(bestLogDecay));
    if (best < m_settings.ringSigmas * m_settings.ringSigmas * sigma * sigma) {
        return false;
    }
    const double radius = radiusOf(bestLogDecay);
    Reduction(radius, bestAngle, c, s);
    // Subtracted while its envelope stands above ringFloor deviations.
    const double envelope = std::hypot(c, s);
    const double floor = m_settings.ringFloor * sigma;
    static const double share = std::getenv("X_RSHARE") ? std::atof(std::getenv("X_RSHARE")) : 0.0;
    if (!(envelope > floor) || envelope > largest || envelope < share * largest) {
        return false;
    }
    const double samples = std::ceil(std::log(floor / envelope) / std::log(radius));
    ring.start = start;
    ring.length = static_cast<uint32_t>(std::clamp<double>(samples, 1.0, static_cast<double>(m_settings.ringWindow)));
    ring.radius = radius;
    ring.angle = bestAngle;
    ring.cosAmplitude = c;
    ring.sinAmplitude = s;
    return true;
}
