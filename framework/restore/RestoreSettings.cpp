// Parameters of click detection and repair; see RestoreSettings.h.
#include "restore/RestoreSettings.h"

#include <algorithm>
#include <cmath>

size_t MillisecondsToSamples(uint64_t rate, double milliseconds, size_t minimum)
{
    const auto samples = static_cast<size_t>(std::llround(static_cast<double>(rate) * milliseconds / 1000.0));
    return std::max(samples, minimum);
}

RestoreSettings MakeRestoreSettings(uint64_t rate, ClickSensitivity sensitivity)
{
    RestoreSettings s;
    s.rate = rate;
    s.blockLength = MillisecondsToSamples(rate, 20.0, 64);
    s.detectOrder = MillisecondsToSamples(rate, 0.5, 8);
    s.clusterGap = MillisecondsToSamples(rate, 0.06, 2);
    s.tickWidths[0] = MillisecondsToSamples(rate, 0.01);
    s.tickWidths[1] = MillisecondsToSamples(rate, 0.03);
    s.tickWidths[2] = MillisecondsToSamples(rate, 0.05);
    s.joinDistance = MillisecondsToSamples(rate, 0.1, 3);
    s.edgePad = MillisecondsToSamples(rate, 0.015, 1);
    s.orderPerSample = 16;
    s.contextPerOrder = 4.0;
    s.ringContextPerOrder = 3.0;
    s.popContextPerOrder = 1.75;
    s.minRepairOrder = MillisecondsToSamples(rate, 2.5, 8);
    s.maxRepairOrder = MillisecondsToSamples(rate, 4.0, 16);
    s.popOrder = MillisecondsToSamples(rate, 30.0, 32);
    s.trimFraction = 0.15;
    s.giveBackSigmas = 3.0;
    s.maxRepairLength = MillisecondsToSamples(rate, 6.0, 4);
    s.loudCheckLength = MillisecondsToSamples(rate, 0.15, 4);
    s.laterUnknowns = MillisecondsToSamples(rate, 0.3, 8);
    s.localiseReach = MillisecondsToSamples(rate, 0.03, 1);
    s.popEndReach = MillisecondsToSamples(rate, 0.5, 4);
    s.splitClean = MillisecondsToSamples(rate, 0.1, 2);
    s.sampleCost = 8.0;
    s.mergeDistance = MillisecondsToSamples(rate, 0.1, 3);
    s.bridgeDistance = MillisecondsToSamples(rate, 0.5, 3);
    s.bridgeSigmas = 10.0;
    s.bridgeLength = MillisecondsToSamples(rate, 0.5, 4);
    s.maxPlaceSpan = MillisecondsToSamples(rate, 12.0, 8);
    s.ringLength = MillisecondsToSamples(rate, 1.5, 8);
    s.ringOrder = MillisecondsToSamples(rate, 3.0, 16);
    s.ringLead = MillisecondsToSamples(rate, 0.5, 8);
    s.ringScreen = MillisecondsToSamples(rate, 0.3, 8);
    s.ringScreenGrowth = MillisecondsToSamples(rate, 0.02, 2);
    s.ringScreenCost = 4.0;
    s.longestImpulse = MillisecondsToSamples(rate, 0.1, 2);
    s.ringLowest = 2000.0;
    s.ringHighest = 48000.0;
    s.ringFastest = 0.02e-3 * static_cast<double>(rate);
    s.ringSlowest = 0.7e-3 * static_cast<double>(rate);
    s.ringSigmas = 6.0;
    s.popLength = MillisecondsToSamples(rate, 1.0, 2);
    s.crackleLength = MillisecondsToSamples(rate, 0.1, 1);
    s.crackleStrengthDb = 30.0;
    switch (sensitivity) {
    case ClickSensitivity::Low:
        s.candidateSigmas = 6.0;
        s.confirmSigmas = 6.5;
        s.joinSigmas = 3.0;
        break;
    case ClickSensitivity::Normal:
        s.candidateSigmas = 5.0;
        s.confirmSigmas = 5.0;
        s.joinSigmas = 2.0;
        break;
    case ClickSensitivity::High:
        s.candidateSigmas = 4.0;
        s.confirmSigmas = 4.0;
        s.joinSigmas = 1.5;
        break;
    }
    s.extendSigmas = 3.0;
    s.trimSigmas = 2.0;
    s.strongSigmas = 15.0;
    s.levelWindow = MillisecondsToSamples(rate, 0.1, 4);
    s.levelSigmas = 1.5;
    return s;
}

size_t RestoreSettings::RepairOrder(size_t length) const
{
    // Short gaps want an order several times their length (Janssen,
    // Veldhuis and Vries 1986 suggest at least 3 x the gap; music with many
    // partials wants more), pops the longest model. Even a tick of one
    // sample wants a few milliseconds of model: one of 0.5 ms leaves the
    // music's own errors around it as large as a weak ring's, which then
    // goes unseen, and interpolates the tick itself worse.
    if (length >= popLength) {
        return popOrder;
    }
    return std::clamp<size_t>(minRepairOrder + orderPerSample * length, minRepairOrder, maxRepairOrder);
}

size_t RestoreSettings::RepairContext(size_t order, size_t length) const
{
    // Short gaps are rebuilt best from a context several times their
    // order; three times the ring order holds 9 ms of music on each side,
    // 1.75 times the pop order 52.5 ms (twice, 60 ms, rebuilt pops 0.2 dB
    // better for 5 % more time), and more would cost more than the rest of
    // the analysis.
    const double perOrder = order >= popOrder ? popContextPerOrder : order >= ringOrder ? ringContextPerOrder : contextPerOrder;
    return std::max(static_cast<size_t>(perOrder * static_cast<double>(order)), 2 * length);
}

size_t RestoreSettings::RepairReach() const
{
    return RepairContext(popOrder, maxRepairLength) + popOrder;
}
