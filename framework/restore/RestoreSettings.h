// The parameters of click detection and repair for one sample rate and one
// sensitivity. Every length is chosen in milliseconds and converted to
// samples here, so that a click sounds and is treated alike at 44.1 kHz and
// at 384 kHz.
#pragma once

#include <cstddef>
#include <cstdint>

enum class ClickSensitivity { Low = 0, Normal = 1, High = 2 };

struct RestoreSettings {
    uint64_t rate = 0;

    // Detection: one autoregressive model per block.
    size_t blockLength = 0;  // samples per model block (20 ms)
    size_t detectOrder = 0;  // model order of the detection pass (0.5 ms)
    double candidateSigmas = 0.0; // prediction error that makes a sample a candidate, in noise deviations
    double confirmSigmas = 0.0;   // standard-normal quantile of the confirmation test
    double joinSigmas = 0.0;      // the same for a channel joining a place another channel confirmed
    size_t clusterGap = 0;        // flags closer than this belong to one candidate (0.06 ms)
    size_t joinDistance = 0;      // channels' places this close are one place (0.1 ms)
    size_t edgePad = 0;           // samples taken in at each end of a run (0.015 ms)

    // The widths (samples) of the pulses whose matched sums find the
    // weakest ticks (0.01, 0.03 and 0.05 ms).
    size_t tickWidths[3] = {};

    double extendSigmas = 0.0;    // a flag at this extends a candidate (hysteresis)
    double trimSigmas = 0.0;      // end samples that the test interpolation changes less are given back
    double strongSigmas = 0.0;    // from this strength a candidate may grow, and is reported when too long to test
    size_t levelWindow = 0;       // a strong run grows by windows of this length (0.1 ms)...
    double levelSigmas = 0.0;     // ...while their error level is above this

    // Repair: least-squares interpolation with a model of the context.
    size_t orderPerSample = 0;    // interpolation order per damaged sample
    double contextPerOrder = 0.0;     // context on each side per order
    double ringContextPerOrder = 0.0; // the same for the ring's order
    double popContextPerOrder = 0.0;  // and for the pop order
    size_t minRepairOrder = 0;    // 2.5 ms
    size_t maxRepairOrder = 0;    // 4 ms
    size_t popOrder = 0;          // 30 ms: the order for runs as long as a pop (popLength)
    double trimFraction = 0.0;    // run ends damaged less than this share of the run's peak are given back,
    double giveBackSigmas = 0.0;  // and so are those within this many deviations of their interpolation
    size_t maxRepairLength = 0;   // longer runs are left as recorded (6 ms)
    size_t loudCheckLength = 0;   // from this length a run rebuilt far louder than recorded is left (0.15 ms)
    size_t laterUnknowns = 0;     // the most unknowns beside the longest gap when later damage joins a gap (0.3 ms)
    size_t localiseReach = 0;     // a run's ends move this far to where its damage lies (0.03 ms)...
    size_t popEndReach = 0;       // ...a pop's end this far (0.5 ms)
    size_t splitClean = 0;        // a run is split where this much clean music lies between two damages (0.1 ms)
    // What a sample taken as unknown costs, in variances of the music's
    // errors, where the samples a run damages or a click's impulse are
    // chosen by the error energy their interpolation removes: Akaike's
    // criterion charges two, but an interpolated sample is worse than the
    // fit shows (its error is the music's uncertainty, which a free sample
    // hides), so more.
    double sampleCost = 0.0;
    size_t mergeDistance = 0;     // places this close are repaired as one (0.1 ms)...
    size_t bridgeDistance = 0;    // ...or this close (0.5 ms) when one of them is pop-like:
    double bridgeSigmas = 0.0;    //    this strong...
    size_t bridgeLength = 0;      //    ...and this long (0.5 ms)...
    size_t maxPlaceSpan = 0;      // ...up to this span (12 ms)

    // The ring after a click (RingEstimator): estimated with the repair
    // model, at least of ringOrder (a lower one cannot tell a ring from a
    // partial of the music near its frequency), over at most ringLength
    // samples, decay times between ringFastest and ringSlowest (samples),
    // kept above ringSigmas; the music's deviation from ringLead samples.
    size_t ringLength = 0;        // 1.5 ms
    size_t ringOrder = 0;         // 3 ms
    size_t ringLead = 0;          // 0.5 ms
    size_t ringScreen = 0;        // a crackle tick is tried for a ring when its damage, sought this far after it (0.3 ms),...
    size_t ringScreenGrowth = 0;  // ...reaches this far past its run (0.02 ms),
    double ringScreenCost = 0.0;  //    each sample taken costing this many error variances
    size_t longestImpulse = 0;    // a run's first samples up to this many may be the impulse before a ring (0.1 ms)
    double ringLowest = 0.0;      // Hz: the stylus rings high (2 kHz)...
    double ringHighest = 0.0;     // ...but below this (48 kHz): at high rates the search's grid stays where rings are
    double ringFastest = 0.0;     // 0.02 ms
    double ringSlowest = 0.0;     // 0.7 ms
    double ringSigmas = 0.0;

    // Kinds.
    size_t popLength = 0;         // a run (or a place's span) this long or longer is a pop (1.0 ms)
    size_t crackleLength = 0;     // runs up to this long that are weak are crackle (0.1 ms)
    double crackleStrengthDb = 0.0;

    // Samples per sub-block of the local noise estimate (a quarter block).
    size_t SubBlockLength() const { return blockLength / 4; }

    // The interpolation order and the context on each side for a run of
    // `length` samples.
    size_t RepairOrder(size_t length) const;
    size_t RepairContext(size_t order, size_t length) const;

    // Samples a worker needs beyond a place on each side: the widest
    // context and order.
    size_t RepairReach() const;
};

// The settings for rate (Hz, above 0) and sensitivity.
RestoreSettings MakeRestoreSettings(uint64_t rate, ClickSensitivity sensitivity);

// Samples in `milliseconds` at rate, rounded, at least `minimum`.
size_t MillisecondsToSamples(uint64_t rate, double milliseconds, size_t minimum = 1);
