// Computes the decimator's filter table from its defining formula.
#include "convert/DsdFilter.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double kCutoff = 0.05;
constexpr double kKaiserBeta = 16.0;
constexpr double kCentre = 47.5;
constexpr double kWindowHalfWidth = 48.5;

// Modified Bessel function of the first kind, order 0, by its power series.
double BesselI0(double x)
{
    const double quarterSquare = x * x / 4.0;
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k < 500; ++k) {
        term *= quarterSquare / (static_cast<double>(k) * static_cast<double>(k));
        sum += term;
        if (term < sum * 1e-17) {
            break;
        }
    }
    return sum;
}

struct alignas(16) DoubledTaps {
    float values[2 * kDsdFilterTaps];
};

DoubledTaps MakeDoubledTaps()
{
    DoubledTaps doubled {};
    const std::array<float, kDsdFilterTaps> taps = ComputeDsdFilterTaps();
    for (unsigned m = 0; m < kDsdFilterTaps; ++m) {
        doubled.values[m] = taps[m];
        doubled.values[m + kDsdFilterTaps] = taps[m];
    }
    return doubled;
}

} // namespace

std::array<float, kDsdFilterTaps> ComputeDsdFilterTaps()
{
    std::array<float, kDsdFilterTaps> taps {};
    const double i0Beta = BesselI0(kKaiserBeta);
    for (unsigned m = 0; m < kDsdFilterTaps; ++m) {
        const double t = static_cast<double>(m) - kCentre;
        const double sinc = std::sin(2.0 * std::numbers::pi * kCutoff * t) / (std::numbers::pi * t);
        const double ratio = t / kWindowHalfWidth;
        const double window = BesselI0(kKaiserBeta * std::sqrt(1.0 - ratio * ratio)) / i0Beta;
        taps[m] = static_cast<float>(sinc * window);
    }
    return taps;
}

const float* DsdFilterTapsTwice()
{
    static const DoubledTaps doubled = MakeDoubledTaps();
    return doubled.values;
}
