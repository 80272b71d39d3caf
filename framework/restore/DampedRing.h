// The ring a click leaves behind. A stylus knocked by a defect rings on
// after the impulse as a damped oscillation; a model of the music predicts
// such a ring almost as well as the music itself (a damped sinusoid is a
// second-order autoregressive process), so its prediction errors fall to
// the noise within a few samples and detection sees only the impulse.
//
// The ring is instead estimated as a damped sinusoid after the impulse,
// by least squares against the music's prediction error: the error of the
// recorded samples x is e = A x = A m + A d, with A m (the music's own
// error) white, so d = Re(c z^r) is the sinusoid whose filtered form A d
// best explains e (for a fixed pole z the filtered form is linear in c, a
// two-column least-squares fit; the pole is searched on a grid and
// refined). This is the deterministic-plus-autoregressive model of
// Godsill and Rayner, "Digital Audio Restoration", 1998, chapter 5 (click
// templates), with a damped sinusoid as the template. The fit is kept when
// it removes far more error energy than two free parameters could from
// noise, and the ring is subtracted from the samples (the music under it
// stays as recorded) for as long as its envelope stands above a share of
// the noise.
#pragma once

#include "restore/ArModel.h"
#include "restore/RestoreSettings.h"

#include <cstdint>
#include <vector>

struct DampedRing {
    uint64_t start = 0;   // first sample of the ring
    uint32_t length = 0;  // samples it is subtracted from; 0: no ring
    double radius = 0.0;  // the pole, radius * e^(i angle)
    double angle = 0.0;
    double cosAmplitude = 0.0; // sample start + r: radius^r (cosAmplitude cos(angle r) + sinAmplitude sin(angle r))
    double sinAmplitude = 0.0;

    uint64_t End() const { return start + length; }
    // Adds sign times the ring to x, x[0] being sample origin.
    void AddTo(float* x, uint64_t origin, double sign) const;
};

class RingFitter {
public:
    explicit RingFitter(const RestoreSettings& settings);

    // x[0] is sample origin; order samples are readable before start and
    // settings.ringWindow from start on; the damage before start is already
    // replaced. sigma: the deviation of the model's prediction error there.
    // largest: the greatest envelope a ring may start with (the click's
    // own peak). False (ring untouched) when no ring stands out of the
    // noise.
    bool Fit(const float* x, uint64_t origin, const ArModel& model, uint64_t start, double sigma, double largest,
             DampedRing& ring);

private:
    // The error energy that a ring with pole (radius, angle) removes;
    // amplitudes to c and s.
    double Reduction(double radius, double angle, double& c, double& s) const;

    const RestoreSettings& m_settings;
    const ArModel* m_model = nullptr;
    std::vector<double> m_error; // prediction errors from start on
};
