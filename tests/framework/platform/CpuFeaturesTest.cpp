// The choice between the vector and the portable loops, and the variable
// that forces the portable ones.
#include "platform/CpuFeatures.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(CpuFeatures, AnyValueButEmptyOrZeroTurnsTheVectorLoopsOff)
{
    EXPECT_TRUE(WideVectorsWanted(true, nullptr));
    EXPECT_TRUE(WideVectorsWanted(true, ""));
    EXPECT_TRUE(WideVectorsWanted(true, "0"));
    EXPECT_FALSE(WideVectorsWanted(true, "1"));
    EXPECT_FALSE(WideVectorsWanted(true, "yes"));
    EXPECT_FALSE(WideVectorsWanted(true, "00"));
    // Without the instructions no setting turns the vector loops on.
    EXPECT_FALSE(WideVectorsWanted(false, nullptr));
    EXPECT_FALSE(WideVectorsWanted(false, "0"));
}

TEST(CpuFeatures, TheVariableAtFirstUseHoldsForTheProcess)
{
    // Nothing else in this program asks for the choice, so this is its first use.
    setenv(kNoAvx2Variable, "1", 1);
    EXPECT_FALSE(UseWideVectors());
    unsetenv(kNoAvx2Variable);
    EXPECT_FALSE(UseWideVectors());
}
