// Computes the re-modulation low-pass taps from their closed form.
#include "save/DsdFilterTaps.h"

#include <cmath>
#include <numbers>

double RemodulationBesselI0(double x)
{
    // sum over k of ((x / 2)^k / k!)^2; for the arguments used here (<= 3)
    // the terms fall below double precision after about 20 steps.
    const double half = x / 2.0;
    double term = 1.0;
    double sum = 1.0;
    for (int k = 1; k < 100; ++k) {
        term *= half / k;
        const double square = term * term;
        sum += square;
        if (square < sum * 1e-18)
            break;
    }
    return sum;
}

namespace {

std::array<double, kRemodulationTaps> ComputeTaps()
{
    constexpr double kCutoffDivisor = 61.0;
    constexpr double kBeta = 3.0;
    constexpr double kCentre = (kRemodulationTaps - 1) / 2.0; // 199.5
    const double pi = std::numbers::pi;
    const double norm = RemodulationBesselI0(kBeta);

    std::array<double, kRemodulationTaps> taps{};
    for (int m = 0; m < kRemodulationTaps; ++m) {
        // The sine is zero where 2t is a multiple of 61, i.e. 2m - 399 is;
        // the formula gives about 1e-18 there from rounding.
        if ((2 * m - (kRemodulationTaps - 1)) % 61 == 0) {
            taps[m] = 0.0;
            continue;
        }
        const double t = m - kCentre;
        const double ratio = t / kCentre;
        const double window = RemodulationBesselI0(kBeta * std::sqrt(1.0 - ratio * ratio)) / norm;
        taps[m] = std::sin(2.0 * pi * t / kCutoffDivisor) / (pi * t) * window;
    }
    // Make the symmetry exact, independent of how sin rounds for +t and -t.
    for (int m = 0; m < kRemodulationTaps / 2; ++m)
        taps[kRemodulationTaps - 1 - m] = taps[m];
    return taps;
}

} // namespace

const std::array<double, kRemodulationTaps>& RemodulationFilterTaps()
{
    static const std::array<double, kRemodulationTaps> taps = ComputeTaps();
    return taps;
}
