// The overrun warnings' rate limit, with time passed in: the first overrun
// at once, a storm as one line per interval with its totals, and what is
// left over on Flush.
#include "device/OverrunWarnings.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Clock = OverrunWarnings::Clock;

TEST(OverrunWarnings, AStormBecomesOneLinePerIntervalWithItsTotals)
{
    OverrunWarnings warnings(1s);
    const Clock::time_point start{};
    OverrunWarnings::Line line;

    ASSERT_TRUE(warnings.Add(start, 100, 10, line)) << "the first overrun is logged at once";
    EXPECT_EQ(line.overruns, 1u);
    EXPECT_EQ(line.framesLost, 10u);
    EXPECT_EQ(line.position, 100u);

    for (int i = 1; i <= 50; ++i)
        EXPECT_FALSE(warnings.Add(start + i * 10ms, 100 + uint64_t(i), 2, line));

    ASSERT_TRUE(warnings.Add(start + 1s, 200, 3, line)) << "due again after the interval";
    EXPECT_EQ(line.overruns, 51u);
    EXPECT_EQ(line.framesLost, 103u);
    EXPECT_EQ(line.position, 200u);

    EXPECT_FALSE(warnings.Add(start + 1500ms, 300, 7, line));
    ASSERT_TRUE(warnings.Flush(line)) << "what the storm left unlogged comes out at the stop";
    EXPECT_EQ(line.overruns, 1u);
    EXPECT_EQ(line.framesLost, 7u);
    EXPECT_EQ(line.position, 300u);
    EXPECT_FALSE(warnings.Flush(line)) << "nothing twice";

    EXPECT_TRUE(warnings.Add(start + 1600ms, 400, 1, line)) << "the next capture's first overrun is logged at once";
}

} // namespace
