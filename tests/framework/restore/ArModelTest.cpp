// Burg's method on a process whose model is known: the coefficients of a
// second-order autoregressive process come back from two segments of it,
// whatever order is fitted (the stages above two find nothing). The
// interpolator finds a tick in that process from a run found beside it.
#include "restore/ArInterpolation.h"
#include "restore/ArModel.h"
#include "restore/VectorLoops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

// x[n] = 1.6 x[n - 1] - 0.8 x[n - 2] + noise: a resonance near 0.1 of the
// rate.
const double kTruth[] = {1.0, -1.6, 0.8};
constexpr double kNoise = 0.01;

std::vector<float> ResonantProcess(size_t length)
{
    std::mt19937 engine(7);
    std::normal_distribution<double> noise(0.0, kNoise);
    std::vector<float> x(length);
    double x1 = 0.0, x2 = 0.0;
    for (float& v : x) {
        const double next = -kTruth[1] * x1 - kTruth[2] * x2 + noise(engine);
        v = static_cast<float>(next);
        x2 = x1;
        x1 = next;
    }
    return x;
}

} // namespace

TEST(ArModel, BurgFindsTheModelOfAKnownProcess)
{
    // Segment lengths that are no multiple of the vector width take every
    // loop's tail.
    const std::vector<float> x = ResonantProcess(70000);
    const BurgFit::Segment segments[] = {{x.data() + 100, 30001}, {x.data() + 40000, 25003}};
    for (const size_t order : {2u, 8u}) {
        SCOPED_TRACE(order);
        BurgFit fit;
        ArModel model;
        ASSERT_TRUE(fit.Fit(segments, 2, order, model));
        ASSERT_EQ(model.Order(), order);
        for (size_t k = 1; k <= order; ++k) {
            // (Lags beyond the process's own order are correlated with it,
            // and spread the higher fit's estimates more widely.)
            EXPECT_NEAR(model.a[k], k < 3 ? kTruth[k] : 0.0, order == 2 ? 0.01 : 0.05) << "a[" << k << "]";
        }
    }
}

TEST(ArInterpolator, TickIsLocalisedFromARunBesideIt)
{
    // A three-sample tick of ten noise deviations at [5000, 5003); the
    // runs a detection might give, within three samples of it.
    std::vector<float> x = ResonantProcess(10000);
    const std::vector<float> clean = x;
    for (size_t n = 5000; n < 5003; ++n) {
        x[n] += static_cast<float>(10.0 * kNoise);
    }
    ArModel model;
    model.a.assign(kTruth, kTruth + 3);
    ArInterpolator interpolator;
    interpolator.Prepare(model);
    const double cost = 8.0 * kNoise * kNoise;
    // The last run's start stays; its end moves (a pop's tail).
    const struct {
        size_t start, end;
        ArInterpolator::Reach reach;
    } runs[] = {{5000, 5003, {3, 3}}, {4998, 5001, {3, 3}}, {5002, 5005, {3, 3}},
                {5001, 5002, {3, 3}}, {4997, 5006, {3, 3}}, {5000, 5001, {0, 8}}};
    for (const auto& run : runs) {
        size_t start = run.start, end = run.end;
        EXPECT_TRUE(interpolator.Localise(x.data(), start, end, run.reach, cost));
        EXPECT_EQ(start, 5000u) << "run " << run.start << ".." << run.end;
        EXPECT_EQ(end, 5003u) << "run " << run.start << ".." << run.end;
    }
    // Without the tick nothing is worth its cost, and the run stays.
    size_t start = 4998, end = 5001;
    EXPECT_FALSE(interpolator.Localise(clean.data(), start, end, {3, 3}, cost));
    EXPECT_EQ(start, 4998u);
    EXPECT_EQ(end, 5001u);
}

TEST(ArInterpolator, AGapAndUnknownsBesideItAreSolvedAsApart)
{
    // The known model padded to order 150: every unknown within 150 samples
    // of another shares its rows, so a long gap and a few unknowns beside
    // it are solved together (around the gap); with the true order of two
    // the two gaps do not meet, and each must come out as interpolated alone.
    const std::vector<float> x = ResonantProcess(10000);
    ArModel padded;
    padded.a.assign(151, 0.0);
    std::copy(std::begin(kTruth), std::end(kTruth), padded.a.begin());
    ArModel truth;
    truth.a.assign(std::begin(kTruth), std::end(kTruth));
    const struct {
        size_t firstStart, firstEnd, secondStart, secondEnd;
    } cases[] = {{5000, 5200, 5230, 5233}, {4990, 4993, 5000, 5200}};
    for (const auto& gaps : cases) {
        std::vector<size_t> unknown;
        for (size_t n = gaps.firstStart; n < gaps.firstEnd; ++n) {
            unknown.push_back(n);
        }
        for (size_t n = gaps.secondStart; n < gaps.secondEnd; ++n) {
            unknown.push_back(n);
        }
        ArInterpolator together, alone;
        together.Prepare(padded);
        alone.Prepare(truth);
        std::vector<double> joint(unknown.size()), apart(unknown.size());
        const size_t split = gaps.firstEnd - gaps.firstStart;
        ASSERT_TRUE(together.Interpolate(x.data(), unknown.data(), unknown.size(), joint.data()));
        ASSERT_TRUE(alone.Interpolate(x.data(), unknown.data(), split, apart.data()));
        ASSERT_TRUE(alone.Interpolate(x.data(), unknown.data() + split, unknown.size() - split, apart.data() + split));
        for (size_t i = 0; i < unknown.size(); ++i) {
            EXPECT_NEAR(joint[i], apart[i], 1e-6 * kNoise) << "sample " << unknown[i];
        }
    }
}

TEST(ArModel, ReflectionUpdatesEveryCoefficientWithTheOldValues)
{
    // Every length, so that both ends' blocks meet at every offset.
    for (size_t m = 1; m <= 24; ++m) {
        std::vector<double> a(m + 1), expected(m + 1);
        for (size_t j = 0; j <= m; ++j) {
            a[j] = 1.0 + 0.37 * static_cast<double>(j * j % 11);
        }
        for (size_t j = 0; j <= m; ++j) {
            expected[j] = j == 0 || j == m ? a[j] : a[j] + 0.3 * a[m - j];
        }
        ReflectDouble(a.data(), m, 0.3);
        EXPECT_EQ(a, expected) << "m = " << m;
    }
}
