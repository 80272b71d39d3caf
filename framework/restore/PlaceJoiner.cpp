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

// A run or a place: where it lies and how strong it is.
struct Extent {
    uint64_t start, end;
    double strength;

    // Strong and long: a pop, whose impacts come in trains with damaged
    // samples between them that the detection does not always take.
    bool PopLike(const RestoreSettings& settings) const
    {
        return strength >= settings.bridgeSigmas && end - start >= settings.bridgeLength;
    }
};

Extent Of(const ChannelRegion& run) { return {run.start, run.end, run.peakSigmas}; }
Extent Of(const DamagedPlace& place) { return {place.start, place.end, place.peakSigmas}; }

// Whether b (starting at or after a's start) belongs with a: it overlaps a
// or starts within gap of its end, or within the bridge distance when
// either is pop-like.
bool Close(const Extent& a, const Extent& b, uint64_t gap, const RestoreSettings& settings)
{
    if (b.start <= a.end) {
        return true;
    }
    const bool pop = a.PopLike(settings) || b.PopLike(settings);
    return b.start - a.end <= (pop ? std::max<uint64_t>(gap, settings.bridgeDistance) : gap);
}

// Sorts a place's runs and merges those of one channel that overlap or
// almost touch (the few samples between them go with the run: one gap is
// interpolated better, and far faster, than two close ones).
void Normalise(DamagedPlace& place, uint64_t gap, const RestoreSettings& settings)
{
    std::sort(place.runs.begin(), place.runs.end(), ByChannel);
    std::vector<ChannelRegion> runs;
    for (const ChannelRegion& run : place.runs) {
        if (!runs.empty() && runs.back().channel == run.channel && Close(Of(runs.back()), Of(run), gap, settings)) {
            ChannelRegion& last = runs.back();
            last.end = std::max(last.end, run.end);
            last.peakSigmas = std::max(last.peakSigmas, run.peakSigmas);
            last.confirmed = last.confirmed || run.confirmed;
            last.faint = last.faint && run.faint;
        } else {
            runs.push_back(run);
        }
    }
    place.runs = std::move(runs);
    place.channelMask = 0;
    for (const ChannelRegion& run : place.runs) {
        place.channelMask |= 1u << run.channel;
    }
}

// Whether a place holds a run that stands out in the prediction errors
// themselves, not only in their matched sums.
bool Stands(const DamagedPlace& place)
{
    return std::any_of(place.runs.begin(), place.runs.end(), [](const ChannelRegion& r) { return !r.faint; });
}

// A train of places, each within the bridge distance of the one before,
// that spans a pop's length: a pop whose impacts the detection found apart
// (its thump between them is too predictable to be flagged). It takes at
// least this many places that stand out in the prediction errors
// themselves, as a pop's impacts do: two close ones are as often two
// clicks, and the weak ticks only the matched sums find, close together,
// are more often the loud music's misfit.
constexpr size_t kLeastTrainPlaces = 3;

// Joins the trains of places into one place each.
std::vector<DamagedPlace> JoinTrains(std::vector<DamagedPlace> places, const RestoreSettings& settings)
{
    // The trains are chained through the places that stand out; the faint
    // ones between their ends go with them.
    std::vector<DamagedPlace> joined;
    for (size_t i = 0; i < places.size();) {
        if (!Stands(places[i])) {
            joined.push_back(std::move(places[i++]));
            continue;
        }
        size_t impacts = 1;
        size_t last = i; // the train's last place that stands out
        for (size_t j = i + 1; j < places.size() && places[j].start - places[last].end <= settings.bridgeDistance &&
                               places[j].end - places[i].start <= settings.maxPlaceSpan;
             ++j) {
            if (Stands(places[j])) {
                ++impacts;
                last = j;
            }
        }
        if (impacts < kLeastTrainPlaces || places[last].end - places[i].start < settings.popLength) {
            joined.push_back(std::move(places[i++]));
            continue;
        }
        DamagedPlace train = std::move(places[i]);
        for (size_t k = i + 1; k <= last; ++k) {
            train.end = std::max(train.end, places[k].end);
            train.peakSigmas = std::max(train.peakSigmas, places[k].peakSigmas);
            train.runs.insert(train.runs.end(), places[k].runs.begin(), places[k].runs.end());
        }
        Normalise(train, settings.mergeDistance, settings);
        joined.push_back(std::move(train));
        i = last + 1;
    }
    return joined;
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
        for (; j < regions.size() && Close(Of(place), Of(regions[j]), join, settings); ++j) {
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
    // Places that almost touch (or follow a pop closely) become one
    // interpolation.
    std::vector<DamagedPlace> merged;
    for (DamagedPlace& place : places) {
        if (!merged.empty()) {
            DamagedPlace& last = merged.back();
            if (Close(Of(last), Of(place), settings.mergeDistance, settings) &&
                place.end - last.start <= settings.maxPlaceSpan) {
                last.end = std::max(last.end, place.end);
                last.peakSigmas = std::max(last.peakSigmas, place.peakSigmas);
                last.runs.insert(last.runs.end(), place.runs.begin(), place.runs.end());
                Normalise(last, settings.mergeDistance, settings);
                continue;
            }
        }
        merged.push_back(std::move(place));
    }
    return JoinTrains(std::move(merged), settings);
}
