// Marker walking rules over the marker manager's position order.
#include "control/MarkerNavigation.h"

#include "marker/MarkerManager.h"

#include <vector>

bool IsSelectedMarkerMovable(const MarkerManager* markers)
{
    if (!markers)
        return false;
    const int32_t selected = markers->SelectedMarker();
    return selected != markers->GetStartMarkerId() && selected != markers->GetEndMarkerId();
}

std::optional<MarkerTarget> NextMarkerAfter(const MarkerManager& markers, double t)
{
    for (int32_t id : markers.EnumMarkerId()) {
        const double p = markers.GetMarkerPositionFromId(id);
        if (p > t)
            return MarkerTarget{id, p};
    }
    return std::nullopt;
}

std::optional<MarkerTarget> PreviousMarkerBefore(const MarkerManager& markers, double t, bool playing)
{
    const std::vector<int32_t> ids = markers.EnumMarkerId();
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        const double p = markers.GetMarkerPositionFromId(*it);
        if (p >= t)
            continue;
        const auto before = std::next(it);
        if (playing && p + kMarkerPrevRestartWindow >= t && *it != markers.GetStartMarkerId() && before != ids.rend())
            return MarkerTarget{*before, markers.GetMarkerPositionFromId(*before)};
        return MarkerTarget{*it, p};
    }
    return std::nullopt;
}
