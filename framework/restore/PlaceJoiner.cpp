// Joining of the channels' damaged runs into places; see PlaceJoiner.h.
#include "restore/PlaceJoiner.h"

#include <algorithm>

namespace {

bool ByPosition(const ChannelRegion& a, const ChannelRegion& b)
{
    return a.start != b.start ? a.start < b.start : a.channel < b.channel;
}

bool ByChannel(const ChannelRegion& a, const ChannelRegion& b)
{
    return a.channel != b.channel ? a.channel < b.channel : a.start < b.start;
}

// Whether runs (or places) of these strengths this far apart are one: a
// pop is a train of impacts, and the samples between two strong ones are
// damaged too, so strong runs are bridged over a longer distance.
bool Close(double strengthA, double strengthB, uint64_t distance, uint64_t gap, const RestoreSettings& settings)
{
    const bool strong = strengthA >= settings.bridgeSigmas && strengthB >= settings.bridgeSigmas;
    return distance <= (strong ? std::max(gap, settings.bridgeDistance) : gap);
}

// Sorts a place's runs and merges those of one channel that overlap or
// almost touch (the few samples between them go with the run: one gap is
// interpolated better, and far faster, than two close ones).
void Normalise(DamagedPlace& place, uint64_t gap, const RestoreSettings& settings)
{
    std::sort(place.runs.begin(), place.runs.end(), ByChannel);
    std::vector<ChannelRegion> runs;
    for (const ChannelRegion& run : place.runs) {
        if (!runs.empty() && runs.back().channel == run.channel &&
            (run.start <= runs.back().end ||
             Close(runs.back().peakSigmas, run.peakSigmas, run.start - runs.back().end, gap, settings))) {
            ChannelRegion& last = runs.back();
            last.end = std::max(last.end, run.end);
            last.peakSigmas = std::max(last.peakSigmas, run.peakSigmas);
            last.confirmed = last.confirmed || run.confirmed;
            if (run.ring.End() > last.ring.End()) {
                last.ring = run.ring;
            }
        } else {
            runs.push_back(run);
        }
    }
    place.runs = std::move(runs);
    place.channelMask = 0;
    place.outputEnd = place.end;
    for (const ChannelRegion& run : place.runs) {
        place.channelMask |= 1u << run.channel;
        place.outputEnd = std::max(place.outputEnd, run.ring.End());
    }
}

} // namespace

std::vector<DamagedPlace> JoinPlaces(std::vector<ChannelRegion> regions, const RestoreSettings& settings)
{
    std::sort(regions.begin(), regions.end(), ByPosition);
    std::vector<DamagedPlace> places;
    // Groups of runs within the join distance of each other; a group with a
    // confirmed run is a place.
    const uint64_t join = settings.joinDistance;
    for (size_t i = 0; i < regions.size();) {
        DamagedPlace place;
        place.start = regions[i].start;
        place.end = regions[i].end;
        bool confirmed = false;
        size_t j = i;
        for (; j < regions.size() && (regions[j].start <= place.end ||
                                      Close(place.peakSigmas, regions[j].peakSigmas, regions[j].start - place.end, join, settings));
             ++j) {
            place.end = std::max(place.end, regions[j].end);
            place.peakSigmas = std::max(place.peakSigmas, regions[j].peakSigmas);
            confirmed = confirmed || regions[j].confirmed;
            place.runs.push_back(regions[j]);
        }
        i = j;
        if (confirmed) {
            Normalise(place, settings.mergeDistance, settings);
            places.push_back(std::move(place));
        }
    }
    // Places that almost touch become one interpolation; a place that
    // starts in the ring of the one before it joins it whatever the span, so
    // that the repairs never overlap.
    std::vector<DamagedPlace> merged;
    for (DamagedPlace& place : places) {
        if (!merged.empty()) {
            DamagedPlace& last = merged.back();
            if (place.start < last.outputEnd ||
                ((place.start <= last.end ||
                  Close(last.peakSigmas, place.peakSigmas, place.start - last.end, settings.mergeDistance, settings)) &&
                 place.end - last.start <= settings.maxPlaceSpan)) {
                last.end = std::max(last.end, place.end);
                last.peakSigmas = std::max(last.peakSigmas, place.peakSigmas);
                last.runs.insert(last.runs.end(), place.runs.begin(), place.runs.end());
                Normalise(last, settings.mergeDistance, settings);
                continue;
            }
        }
        merged.push_back(std::move(place));
    }
    return merged;
}
