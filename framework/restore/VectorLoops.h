// The inner loops of click detection and repair: dot products,
// autocorrelations and FIR filters over float samples. Each has a portable
// and a 256-bit vector variant, chosen once per process (UseWideVectors);
// both add the same products in the same order in eight lanes, so their
// results are bit-identical.
#pragma once

#include <cstddef>

// r[k] = sum over i < n - k of x[i] * x[i + k], for k = 0 .. maxLag (maxLag < n).
void AutocorrelationFloat(const float* x, size_t n, size_t maxLag, double* r);

// out[i] = sum over j < taps of h[j] * x[i - j], for i < n. x[-(taps - 1)]
// up to x[n - 1] must be readable.
void FilterFloat(const float* x, const float* h, size_t taps, size_t n, float* out);

// out[i] = max(out[i], |x[i]| * scale), i < n.
void RaiseMagnitudes(float* out, const float* x, size_t n, float scale);

// Sum of a[i] * b[i], i < n, in double lanes.
double DotDouble(const double* a, const double* b, size_t n);
// y[i] += k * x[i], i < n.
void AxpyDouble(double* y, const double* x, size_t n, double k);
// a[j] += k * a[m - j] for 0 < j < m (m > 0), every product with the old
// values: a model's coefficients taking a reflection coefficient (Levinson,
// Burg).
void ReflectDouble(double* a, size_t m, double k);

// The sums of a stage of Burg's recursion over n samples: f[i] * b[i] and
// of f[i]^2 + b[i]^2 (b holds the previous stage's backward errors, shifted
// by one sample).
void BurgSums(const float* f, const float* b, size_t n, double& cross, double& energy);
// The stage's update with reflection coefficient k: f[i] += k * b[i] and
// bOut[i] = b[i] + k * f[i] (with the old f[i]); cross and energy get the
// next stage's sums over the result (the pairs f[i], bOut[i - 1], 0 < i < n).
void BurgStage(float* f, const float* b, float* bOut, size_t n, float k, double& cross, double& energy);
// The same update with only the cross sum (the energy follows from the
// stage's own sums; see BurgFit).
void BurgUpdate(float* f, const float* b, float* bOut, size_t n, float k, double& cross);
