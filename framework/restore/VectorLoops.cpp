// Dot products, autocorrelations and FIR filters; see VectorLoops.h. The
// loop bodies are written once with eight-lane vectors and compiled twice:
// for the baseline processor (two 128-bit halves) and with AVX2.
#include "restore/VectorLoops.h"

#include "platform/CpuFeatures.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// The eight-lane helpers are always inlined, so no vector ever crosses a
// call and the calling convention GCC warns about does not arise.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

typedef float Lanes __attribute__((vector_size(32)));
typedef double DoubleLanes __attribute__((vector_size(32)));
constexpr size_t kLanes = 8;
constexpr size_t kDoubleLanes = 4;

#define ALWAYS_INLINE inline __attribute__((always_inline))
#define WIDE __attribute__((target("avx2")))

ALWAYS_INLINE Lanes Load(const float* p)
{
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

ALWAYS_INLINE DoubleLanes LoadDouble(const double* p)
{
    DoubleLanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

ALWAYS_INLINE double SumDoubleLanes(DoubleLanes v)
{
    return (v[0] + v[1]) + (v[2] + v[3]);
}

ALWAYS_INLINE double SumLanes(Lanes v)
{
    double total = 0.0;
    for (size_t lane = 0; lane < kLanes; ++lane) {
        total += static_cast<double>(v[lane]);
    }
    return total;
}

ALWAYS_INLINE double DotBody(const float* a, const float* b, size_t n)
{
    Lanes s0 = {}, s1 = {}, s2 = {}, s3 = {};
    size_t i = 0;
    for (; i + 4 * kLanes <= n; i += 4 * kLanes) {
        s0 += Load(a + i) * Load(b + i);
        s1 += Load(a + i + 8) * Load(b + i + 8);
        s2 += Load(a + i + 16) * Load(b + i + 16);
        s3 += Load(a + i + 24) * Load(b + i + 24);
    }
    for (; i + kLanes <= n; i += kLanes) {
        s0 += Load(a + i) * Load(b + i);
    }
    double total = SumLanes((s0 + s1) + (s2 + s3));
    for (; i < n; ++i) {
        total += static_cast<double>(a[i] * b[i]);
    }
    return total;
}

ALWAYS_INLINE void AutocorrelationBody(const float* x, size_t n, size_t maxLag, double* r)
{
    for (size_t k = 0; k <= maxLag; ++k) {
        r[k] = DotBody(x, x + k, n - k);
    }
}

ALWAYS_INLINE void FilterBody(const float* x, const float* h, size_t taps, size_t n, float* out)
{
    size_t i = 0;
    for (; i + 2 * kLanes <= n; i += 2 * kLanes) {
        Lanes acc0 = {}, acc1 = {};
        const float* p = x + i;
        for (size_t j = 0; j < taps; ++j) {
            const float c = h[j];
            acc0 += c * Load(p - j);
            acc1 += c * Load(p + kLanes - j);
        }
        std::memcpy(out + i, &acc0, sizeof acc0);
        std::memcpy(out + i + kLanes, &acc1, sizeof acc1);
    }
    for (; i < n; ++i) {
        float acc = 0.0f;
        for (size_t j = 0; j < taps; ++j) {
            acc += h[j] * x[i - j];
        }
        out[i] = acc;
    }
}

ALWAYS_INLINE void BurgSumsBody(const float* f, const float* b, size_t n, double& cross, double& energy)
{
    Lanes c0 = {}, c1 = {}, e0 = {}, e1 = {};
    size_t i = 0;
    for (; i + 2 * kLanes <= n; i += 2 * kLanes) {
        const Lanes f0 = Load(f + i), f1 = Load(f + i + kLanes);
        const Lanes b0 = Load(b + i), b1 = Load(b + i + kLanes);
        c0 += f0 * b0;
        c1 += f1 * b1;
        e0 += f0 * f0 + b0 * b0;
        e1 += f1 * f1 + b1 * b1;
    }
    double c = SumLanes(c0 + c1);
    double e = SumLanes(e0 + e1);
    for (; i < n; ++i) {
        c += static_cast<double>(f[i] * b[i]);
        e += static_cast<double>(f[i] * f[i] + b[i] * b[i]);
    }
    cross = c;
    energy = e;
}

template <bool kEnergy>
ALWAYS_INLINE void BurgStageBody(float* f, const float* b, float* bOut, size_t n, float k, double& cross,
                                 double& energy)
{
    // The update, and on the way the next stage's sums over its pairs
    // f[i], bOut[i - 1] (0 < i < n): one pass over the errors instead of
    // two. Each vector's backward errors are shifted by one lane, the last
    // lane of the vector before coming in.
    typedef int Indices __attribute__((vector_size(32)));
    const Indices shiftIn = {7, 8, 9, 10, 11, 12, 13, 14};
    const Lanes firstPaired = {0, 1, 1, 1, 1, 1, 1, 1}; // f[0] pairs with nothing
    Lanes c0 = {}, c1 = {}, e0 = {}, e1 = {};
    Lanes previous = {};
    size_t i = 0;
    for (; i + 2 * kLanes <= n; i += 2 * kLanes) {
        const Lanes f0 = Load(f + i), b0 = Load(b + i);
        const Lanes f1 = Load(f + i + kLanes), b1 = Load(b + i + kLanes);
        const Lanes fNew0 = f0 + k * b0, bNew0 = b0 + k * f0;
        const Lanes fNew1 = f1 + k * b1, bNew1 = b1 + k * f1;
        std::memcpy(f + i, &fNew0, sizeof fNew0);
        std::memcpy(f + i + kLanes, &fNew1, sizeof fNew1);
        std::memcpy(bOut + i, &bNew0, sizeof bNew0);
        std::memcpy(bOut + i + kLanes, &bNew1, sizeof bNew1);
        const Lanes paired0 = i == 0 ? firstPaired * fNew0 : fNew0;
        const Lanes shifted0 = __builtin_shuffle(previous, bNew0, shiftIn);
        const Lanes shifted1 = __builtin_shuffle(bNew0, bNew1, shiftIn);
        c0 += paired0 * shifted0;
        c1 += fNew1 * shifted1;
        if constexpr (kEnergy) {
            e0 += paired0 * paired0 + shifted0 * shifted0;
            e1 += fNew1 * fNew1 + shifted1 * shifted1;
        }
        previous = bNew1;
    }
    double c = SumLanes(c0 + c1);
    double e = SumLanes(e0 + e1);
    for (; i < n; ++i) {
        const float fi = f[i];
        f[i] = fi + k * b[i];
        bOut[i] = b[i] + k * fi;
        if (i > 0) {
            c += static_cast<double>(f[i] * bOut[i - 1]);
            if constexpr (kEnergy) {
                e += static_cast<double>(f[i] * f[i] + bOut[i - 1] * bOut[i - 1]);
            }
        }
    }
    cross = c;
    energy = e;
}

void BurgSumsPortable(const float* f, const float* b, size_t n, double& cross, double& energy)
{
    BurgSumsBody(f, b, n, cross, energy);
}
WIDE void BurgSumsWide(const float* f, const float* b, size_t n, double& cross, double& energy)
{
    BurgSumsBody(f, b, n, cross, energy);
}
void BurgStagePortable(float* f, const float* b, float* bOut, size_t n, float k, double& cross, double& energy)
{
    BurgStageBody<true>(f, b, bOut, n, k, cross, energy);
}
WIDE void BurgStageWide(float* f, const float* b, float* bOut, size_t n, float k, double& cross, double& energy)
{
    BurgStageBody<true>(f, b, bOut, n, k, cross, energy);
}
void BurgUpdatePortable(float* f, const float* b, float* bOut, size_t n, float k, double& cross)
{
    double unused = 0.0;
    BurgStageBody<false>(f, b, bOut, n, k, cross, unused);
}
WIDE void BurgUpdateWide(float* f, const float* b, float* bOut, size_t n, float k, double& cross)
{
    double unused = 0.0;
    BurgStageBody<false>(f, b, bOut, n, k, cross, unused);
}

ALWAYS_INLINE double DotDoubleBody(const double* a, const double* b, size_t n)
{
    DoubleLanes s0 = {}, s1 = {};
    size_t i = 0;
    for (; i + 2 * kDoubleLanes <= n; i += 2 * kDoubleLanes) {
        s0 += LoadDouble(a + i) * LoadDouble(b + i);
        s1 += LoadDouble(a + i + kDoubleLanes) * LoadDouble(b + i + kDoubleLanes);
    }
    double total = SumDoubleLanes(s0 + s1);
    for (; i < n; ++i) {
        total += a[i] * b[i];
    }
    return total;
}

ALWAYS_INLINE void AxpyDoubleBody(double* y, const double* x, size_t n, double k)
{
    size_t i = 0;
    for (; i + kDoubleLanes <= n; i += kDoubleLanes) {
        const DoubleLanes v = LoadDouble(y + i) + k * LoadDouble(x + i);
        std::memcpy(y + i, &v, sizeof v);
    }
    for (; i < n; ++i) {
        y[i] += k * x[i];
    }
}

ALWAYS_INLINE void ReflectDoubleBody(double* a, size_t m, double k)
{
    // Pairs j, m - j from the two ends, four at a time while the blocks
    // stay apart; the high block reversed, so that its lanes meet their
    // partners.
    typedef long long DoubleIndices __attribute__((vector_size(32)));
    const DoubleIndices reverse = {3, 2, 1, 0};
    size_t j = 1, i = m - 1; // i = m - j
    for (; j + 2 * kDoubleLanes <= i + 1; j += kDoubleLanes, i -= kDoubleLanes) {
        const DoubleLanes low = LoadDouble(a + j);
        const DoubleLanes high = __builtin_shuffle(LoadDouble(a + i + 1 - kDoubleLanes), reverse);
        const DoubleLanes newLow = low + k * high;
        const DoubleLanes newHigh = __builtin_shuffle(high + k * low, reverse);
        std::memcpy(a + j, &newLow, sizeof newLow);
        std::memcpy(a + i + 1 - kDoubleLanes, &newHigh, sizeof newHigh);
    }
    for (; j < i; ++j, --i) {
        const double low = a[j];
        const double high = a[i];
        a[j] = low + k * high;
        a[i] = high + k * low;
    }
    if (j == i) {
        a[j] += k * a[j];
    }
}

double DotDoublePortable(const double* a, const double* b, size_t n) { return DotDoubleBody(a, b, n); }
WIDE double DotDoubleWide(const double* a, const double* b, size_t n) { return DotDoubleBody(a, b, n); }
void AxpyDoublePortable(double* y, const double* x, size_t n, double k) { AxpyDoubleBody(y, x, n, k); }
WIDE void AxpyDoubleWide(double* y, const double* x, size_t n, double k) { AxpyDoubleBody(y, x, n, k); }
void ReflectDoublePortable(double* a, size_t m, double k) { ReflectDoubleBody(a, m, k); }
WIDE void ReflectDoubleWide(double* a, size_t m, double k) { ReflectDoubleBody(a, m, k); }

ALWAYS_INLINE void RaiseMagnitudesBody(float* out, const float* x, size_t n, float scale)
{
    size_t i = 0;
    for (; i + kLanes <= n; i += kLanes) {
        Lanes v = Load(x + i);
        v = (v < 0.0f ? -v : v) * scale;
        const Lanes o = Load(out + i);
        const Lanes r = o < v ? v : o;
        std::memcpy(out + i, &r, sizeof r);
    }
    for (; i < n; ++i) {
        out[i] = std::max(out[i], std::fabs(x[i]) * scale);
    }
}

void RaiseMagnitudesPortable(float* out, const float* x, size_t n, float scale) { RaiseMagnitudesBody(out, x, n, scale); }
WIDE void RaiseMagnitudesWide(float* out, const float* x, size_t n, float scale) { RaiseMagnitudesBody(out, x, n, scale); }

void AutocorrelationPortable(const float* x, size_t n, size_t maxLag, double* r)
{
    AutocorrelationBody(x, n, maxLag, r);
}
WIDE void AutocorrelationWide(const float* x, size_t n, size_t maxLag, double* r)
{
    AutocorrelationBody(x, n, maxLag, r);
}

void FilterPortable(const float* x, const float* h, size_t taps, size_t n, float* out)
{
    FilterBody(x, h, taps, n, out);
}
WIDE void FilterWide(const float* x, const float* h, size_t taps, size_t n, float* out)
{
    FilterBody(x, h, taps, n, out);
}

} // namespace

void AutocorrelationFloat(const float* x, size_t n, size_t maxLag, double* r)
{
    UseWideVectors() ? AutocorrelationWide(x, n, maxLag, r) : AutocorrelationPortable(x, n, maxLag, r);
}

void RaiseMagnitudes(float* out, const float* x, size_t n, float scale)
{
    UseWideVectors() ? RaiseMagnitudesWide(out, x, n, scale) : RaiseMagnitudesPortable(out, x, n, scale);
}

void FilterFloat(const float* x, const float* h, size_t taps, size_t n, float* out)
{
    UseWideVectors() ? FilterWide(x, h, taps, n, out) : FilterPortable(x, h, taps, n, out);
}

void BurgSums(const float* f, const float* b, size_t n, double& cross, double& energy)
{
    UseWideVectors() ? BurgSumsWide(f, b, n, cross, energy) : BurgSumsPortable(f, b, n, cross, energy);
}

void BurgStage(float* f, const float* b, float* bOut, size_t n, float k, double& cross, double& energy)
{
    UseWideVectors() ? BurgStageWide(f, b, bOut, n, k, cross, energy)
                     : BurgStagePortable(f, b, bOut, n, k, cross, energy);
}

void BurgUpdate(float* f, const float* b, float* bOut, size_t n, float k, double& cross)
{
    UseWideVectors() ? BurgUpdateWide(f, b, bOut, n, k, cross) : BurgUpdatePortable(f, b, bOut, n, k, cross);
}

double DotDouble(const double* a, const double* b, size_t n)
{
    return UseWideVectors() ? DotDoubleWide(a, b, n) : DotDoublePortable(a, b, n);
}

void ReflectDouble(double* a, size_t m, double k)
{
    UseWideVectors() ? ReflectDoubleWide(a, m, k) : ReflectDoublePortable(a, m, k);
}

void AxpyDouble(double* y, const double* x, size_t n, double k)
{
    UseWideVectors() ? AxpyDoubleWide(y, x, n, k) : AxpyDoublePortable(y, x, n, k);
}
