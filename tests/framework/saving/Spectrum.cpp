// Windowed radix-2 FFT and the two measures taken from its power spectrum.
#include "Spectrum.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace saving {

namespace {

// In-place iterative radix-2 FFT; the size must be a power of two.
void Fft(std::vector<std::complex<double>>& x)
{
    const size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; (j & bit) != 0; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(x[i], x[j]);
        }
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(length);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += length) {
            std::complex<double> w(1.0, 0.0);
            for (size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> u = x[i + k];
                const std::complex<double> v = x[i + k + length / 2] * w;
                x[i + k] = u + v;
                x[i + k + length / 2] = u - v;
                w *= step;
            }
        }
    }
}

double BlackmanHarris(size_t i, size_t n)
{
    const double t = 2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n - 1);
    return 0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t);
}

double ToDb(double power) { return 10.0 * std::log10(std::max(power, 1e-300)); }

} // namespace

ToneAnalysis AnalyseTone(const std::vector<float>& interleaved, size_t channels, size_t channel, size_t first,
                         size_t length, double rate, double toneHz, double bandLowHz, double bandHighHz)
{
    std::vector<std::complex<double>> x(length);
    for (size_t i = 0; i < length; ++i) {
        x[i] = interleaved[(first + i) * channels + channel] * BlackmanHarris(i, length);
    }
    Fft(x);
    const double binHz = rate / static_cast<double>(length);
    std::vector<double> power(length / 2);
    for (size_t k = 0; k < power.size(); ++k) {
        power[k] = std::norm(x[k]);
    }

    // The window's main lobe is four bins wide on each side; a few more are
    // taken so that the tone's energy is all counted.
    const auto toneBin = static_cast<size_t>(std::lround(toneHz / binHz));
    const size_t lobe = 8;
    double tone = 0.0;
    for (size_t k = toneBin - lobe; k <= toneBin + lobe; ++k) {
        tone += power[k];
    }

    // Bins close to a multiple of the tone frequency belong to the tone or its
    // harmonics, not to the noise floor.
    const double guardHz = std::max(lobe * binHz, 20.0);
    std::vector<double> noise;
    for (size_t k = static_cast<size_t>(std::ceil(bandLowHz / binHz)); k * binHz <= bandHighHz; ++k) {
        const double f = static_cast<double>(k) * binHz;
        const double nearest = std::round(f / toneHz) * toneHz;
        if (nearest > 0.0 && std::fabs(f - nearest) <= guardHz) {
            continue;
        }
        noise.push_back(power[k]);
    }
    std::nth_element(noise.begin(), noise.begin() + static_cast<long>(noise.size() / 2), noise.end());
    return ToneAnalysis{ToDb(tone), ToDb(noise[noise.size() / 2])};
}

} // namespace saving
