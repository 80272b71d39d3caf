// Burg's method on a process whose model is known: the coefficients of a
// second-order autoregressive process come back from two segments of it,
// whatever order is fitted (the stages above two find nothing).
#include "restore/ArModel.h"
#include "restore/VectorLoops.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

TEST(ArModel, BurgFindsTheModelOfAKnownProcess)
{
    // x[n] = 1.6 x[n - 1] - 0.8 x[n - 2] + noise: a resonance near 0.1 of
    // the rate. Segment lengths that are no multiple of the vector width
    // take every loop's tail.
    const double truth[] = {1.0, -1.6, 0.8};
    std::mt19937 engine(7);
    std::normal_distribution<double> noise(0.0, 0.01);
    std::vector<float> x(70000);
    double x1 = 0.0, x2 = 0.0;
    for (float& v : x) {
        const double next = -truth[1] * x1 - truth[2] * x2 + noise(engine);
        v = static_cast<float>(next);
        x2 = x1;
        x1 = next;
    }
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
            EXPECT_NEAR(model.a[k], k < 3 ? truth[k] : 0.0, order == 2 ? 0.01 : 0.05) << "a[" << k << "]";
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
