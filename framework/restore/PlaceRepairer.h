// Repair of one damaged place. One autoregressive model is fitted (Burg)
// to the undamaged context on both sides of the place, in every channel it
// damages (the channels carry the same music), leaving out the place and
// the damage found after it (the places before it are repaired by then;
// a long model leaves out only the pops, its context would fall into
// pieces shorter than its order);
// then the damaged samples alone are replaced, channel by channel, by
// least-squares interpolation with that model, the damage found after them
// within its reach (not repaired yet) taken as unknown too and its values
// dropped. The order grows
// with the longest run and the context with the order, so long gaps get a
// model that can carry the music across them.
//
// Each run first moves to the samples near it whose interpolation removes
// the most error energy for what they cost: the detection's runs may lie a
// sample or more beside a weak tick, and a pop's tail fades into the music
// before its detection ends; a run the detection chained across two
// damages is split in two.
//
// The ends of a run that are damaged far less than its peak are given back
// and the rest interpolated again: an interpolated sample is never exact,
// and beyond that point it would change the music more than the damage
// does.
//
// A click's stylus may ring after the impulse: the ring is estimated as a
// damped sinusoid jointly with the impulse's interpolation (RingEstimator)
// in one channel and confirmed in the others; each channel then fits its
// own ring of that frequency and decay, subtracts it, and only the impulse
// is interpolated; the ring is sought no nearer than the model's order to
// a pop found after the place. A pop is rebuilt whole, from its first run
// to its last, in every channel it hits.
//
// A run longer than the longest that interpolation can hold, one with too
// little music around it for its model (the recording's first or last
// milliseconds), or one whose rebuild comes out far louder than what was
// recorded there, is left as recorded and the place reported as not
// repaired.
#pragma once

#include "restore/ArInterpolation.h"
#include "restore/ArModel.h"
#include "restore/ClickDetector.h"
#include "restore/PlaceJoiner.h"
#include "restore/RepairedPlaces.h"
#include "restore/RestoreSettings.h"
#include "restore/RingEstimator.h"
#include "restore/SideModelTest.h"

#include <vector>

class PlaceRepairer {
public:
    explicit PlaceRepairer(const RestoreSettings& settings);

    // channels: every channel's samples, the places before this one
    // repaired in them; found: every run found in each channel (by
    // position), those confirmed after the place left out of the model's
    // context (a long model's: those as long as a pop).
    RepairedPlace Repair(const DamagedPlace& place, const std::vector<ChannelSamples>& channels,
                         const std::vector<std::vector<ChannelRegion>>& found);

    // Whether a place is the music's own: the start or end of a note. A
    // place longer than crackle after which the music is new to a model of
    // the music before it (a sharp attack), or before which the music is
    // new to a model of the music after it (a sharp release), is one. So is
    // a place as long as a pop that holds no damage to a model of the music
    // on both sides of it: the detection's block model did not know the
    // note (it is fitted over its block, and a note that starts late in the
    // block is barely in it); a pop stands far above that model's errors.
    // found as for Repair.
    bool IsMusic(const DamagedPlace& place, const std::vector<ChannelSamples>& channels,
                 const std::vector<std::vector<ChannelRegion>>& found);

private:
    // Fits m_model of `order` to the context of [first, last] in the
    // channels of mask, leaving out ringReach samples after it.
    bool FitContext(uint32_t mask, uint64_t first, uint64_t last, size_t ringReach, size_t order,
                    const std::vector<ChannelSamples>& channels, const std::vector<std::vector<ChannelRegion>>& found);
    // Interpolates the runs (positions [start, end)) of s with m_model into
    // m_values, their indices into s in m_unknown; false when that fails.
    bool Interpolate(const ChannelSamples& s, const std::vector<ChannelRegion>& runs);
    // The end of the damage of m_later in channel that follows gapEnd
    // within order samples, each damage within order of the one before.
    uint64_t LaterDamageEnd(uint16_t channel, uint64_t gapEnd, size_t order) const;
    // Appends to m_unknown the damage of m_later in s's channel that lies
    // after its last entry, within the reach of its prediction errors.
    void AddLaterDamage(const ChannelSamples& s, uint16_t channel);
    // Interpolates one run and gives back its ends where they are barely
    // damaged; m_values and m_unknown hold the result.
    bool RepairRun(const ChannelSamples& s, ChannelRegion run);
    // After RepairRun: false when the rebuilt samples of a run of
    // loudCheckLength or more are far louder than the recorded ones they
    // replace (in `recorded`, indexed as m_unknown): the place is then left
    // as recorded.
    bool RebuildHolds(const std::vector<float>& recorded) const;
    // Moves each run of s (a local copy) to the samples near it, its ends
    // within most, whose interpolation removes the most error energy for
    // what they cost; with split, a run that holds two damages with clean
    // samples between them becomes two.
    void LocaliseRuns(const ChannelSamples& s, std::vector<ChannelRegion>& runs, ArInterpolator::Reach most,
                      bool split);
    // Whether run of s holds two damages at least the clean span apart
    // whose interpolation together removes more error energy for its cost
    // (cost a sample) than the whole run's: then run becomes the first and
    // second the other.
    bool SplitRun(const ChannelSamples& s, ChannelRegion& run, double cost, ChannelRegion& second);
    // After an interpolation of run: gives back its ends that the
    // interpolation cannot tell from music.
    bool GiveBackQuietEnds(const ChannelSamples& s, ChannelRegion& run);

    // The energy of m_model's prediction errors at x[0 .. count); the
    // order samples before x must be readable.
    double ErrorEnergy(const float* x, size_t count);
    // The variance of m_model's prediction errors over the lead samples
    // before `before` in s: the music's, where a run starts there.
    double MusicVariance(const ChannelSamples& s, uint64_t before);

    // Whether a ring may follow the runs (by channel) of a crackle tick:
    // with m_model, the damage its interpolation finds reaches past them.
    bool RingLikely(const std::vector<ChannelSamples>& channels, const std::vector<std::vector<ChannelRegion>>& runs);
    // Whether a ring may be sought after run in s: the samples it reads are there.
    bool RingFits(const ChannelSamples& s, ChannelRegion run, size_t& gapStart, size_t& gapEnd) const;
    // The frequency and decay of the ring after the place's impulse, found
    // in the channel its runs peak highest in (found) and confirmed by
    // every other; false when none is.
    bool FindRing(const std::vector<std::vector<ChannelRegion>>& runs, const std::vector<ChannelSamples>& channels,
                  double& rho, double& omega, uint16_t& found);
    // FindRing's search in channel c.
    bool FindRingIn(uint16_t c, const std::vector<std::vector<ChannelRegion>>& runs,
                    const std::vector<ChannelSamples>& channels, double& rho, double& omega);
    // Subtracts this channel's ring after the impulse of run in s (a local
    // copy) up to `next` at most: the ring FindRing found when this channel
    // found it, else one of about that frequency and decay estimated here;
    // run shrinks to the impulse. The end of what the ring changed.
    uint64_t SubtractRing(const ChannelSamples& s, ChannelRegion& run, bool found, double rho, double omega,
                          uint64_t next);

    const RestoreSettings& m_settings;
    BurgFit m_burg;
    ArModel m_model;
    std::vector<float> m_taps; // m_model's coefficients as floats
    std::vector<float> m_errors;
    ArInterpolator m_interpolator;
    std::vector<BurgFit::Segment> m_segments;
    std::vector<std::pair<uint64_t, uint64_t>> m_excluded;
    // Per channel: the damage not yet repaired (the runs found after the
    // place and the place's own), [start, end) ascending.
    std::vector<std::vector<std::pair<uint64_t, uint64_t>>> m_later;
    bool m_popPlace = false; // the place being repaired is a pop
    RingLimits m_ringLimits;
    RingLimits m_placeRing; // m_ringLimits, the ring's reach cut before the pop after the place
    std::vector<std::pair<uint64_t, uint64_t>> m_spans;
    RingEstimator m_ringEstimator;
    RingEstimator m_confirmer;
    std::vector<double> m_ring;
    std::vector<double> m_foundRing; // FindRing's, for the channel that found it
    uint64_t m_foundRingStart = 0;
    std::vector<float> m_split; // a copy of the samples with one damage repaired
    std::vector<std::vector<float>> m_locals; // per channel, the samples around the place being repaired
    std::vector<uint64_t> m_localStarts;
    std::vector<size_t> m_unknown;
    std::vector<double> m_values;
    SideModelTest m_sides;
};

// The spans of pops among the confirmed runs of found (in order) that start
// in (after, before): runs within the bridge distance of each other
// chained (a chain may go on past before), the chains as long as a pop
// kept.
void PopSpans(const std::vector<ChannelRegion>& found, uint64_t after, uint64_t before, const RestoreSettings& settings,
              std::vector<std::pair<uint64_t, uint64_t>>& spans);

// How far a place's damage stands above the noise, in dB (its peak in
// deviations of the prediction errors).
double PlaceStrengthDb(const DamagedPlace& place);

// The kind of a place from its longest run and its strength.
PlaceKind ClassifyPlace(size_t longestRun, double strengthDb, const RestoreSettings& settings);
