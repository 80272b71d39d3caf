// The rules that walk and guard markers: which marker "Next" and "Previous" go to, and
// which markers may be moved or removed.
#pragma once

#include <cstdint>
#include <optional>

class MarkerManager;

// Seconds after a marker within which "Previous" during playback goes one marker further back.
inline constexpr double kMarkerPrevRestartWindow = 5.0;

struct MarkerTarget {
    int32_t id = 0;
    double position = 0.0;
};

// The selected marker can be moved or removed: it exists and is neither the start nor the
// end marker. False without a marker manager.
bool IsSelectedMarkerMovable(const MarkerManager* markers);

// The first marker after t, in position order; none when t is at or past the last one.
std::optional<MarkerTarget> NextMarkerAfter(const MarkerManager& markers, double t);

// The last marker before t. While playing, a marker at most 5 s before t (other than the
// start marker) is skipped for the one before it, so that a second press goes further back.
std::optional<MarkerTarget> PreviousMarkerBefore(const MarkerManager& markers, double t, bool playing);
