// Suggested gap markers as one undoable step; see TrackGapMarkers.h.
#include "marker/TrackGapMarkers.h"

#include <algorithm>
#include <cmath>

namespace {

// The 0.1 s grid of the markers, rounded down so the marker stays in the gap
// before the next track's music.
double OnMarkerGrid(double seconds)
{
    return std::floor(seconds * 10.0 + 1e-6) / 10.0;
}

} // namespace

int TrackGapMarkers::countNew(const MarkerManager& markers, const std::vector<double>& boundaries)
{
    int count = 0;
    double previous = -1.0;
    for (double boundary : boundaries) {
        const double t = OnMarkerGrid(boundary);
        // Two suggestions on one grid place make one marker.
        if (t != previous && markers.CanAddToPosition(t))
            ++count;
        previous = t;
    }
    return count;
}

TrackGapMarkers::Outcome TrackGapMarkers::addSuggestions(MarkerManager& markers,
                                                         const std::vector<double>& boundaries,
                                                         std::optional<double> musicStart,
                                                         std::optional<double> musicEnd)
{
    Outcome outcome;
    std::vector<int32_t> added;
    // The step's own changes must not end the previous step before it is replaced.
    for (const QMetaObject::Connection& watch : m_watches) {
        QObject::disconnect(watch);
    }
    m_watches.clear();
    const auto add = [&](double seconds) -> int32_t {
        const double t = OnMarkerGrid(seconds);
        if (outcome.limitReached || !markers.CanAddToPosition(t)) {
            ++outcome.skipped;
            return -1;
        }
        const int32_t id = markers.AddWithPosition(t); // alerts at the limit
        if (id < 0) {
            outcome.limitReached = true;
            return -1;
        }
        added.push_back(id);
        ++outcome.added;
        return id;
    };
    const int32_t start = musicStart ? add(*musicStart) : -1;
    for (double boundary : boundaries) {
        add(boundary);
    }
    const int32_t end = musicEnd ? add(*musicEnd) : -1;
    std::vector<std::pair<int32_t, bool>> unchecked;
    const auto uncheck = [&](int32_t id) {
        unchecked.emplace_back(id, markers.IsMarkerCheckedFromId(id));
        markers.SetMarkerCheckedWithId(id, false);
    };
    if (start >= 0) {
        // The lead-in is the track that ends at the music's start.
        const std::vector<int32_t> ids = markers.EnumMarkerId();
        const auto at = std::find(ids.begin(), ids.end(), start);
        if (at != ids.begin() && at != ids.end()) {
            uncheck(*(at - 1));
        }
    }
    if (end >= 0) {
        uncheck(end);
    }
    if (!added.empty()) {
        m_added = std::move(added);
        m_unchecked = std::move(unchecked);
        m_markers = &markers;
    }
    if (m_markers) {
        watch(*m_markers);
    }
    return outcome;
}

int TrackGapMarkers::undo()
{
    if (!canUndo()) {
        return 0;
    }
    MarkerManager& markers = *m_markers;
    const std::vector<int32_t> added = m_added;
    const std::vector<std::pair<int32_t, bool>> unchecked = m_unchecked;
    clear();
    int removed = 0;
    for (int32_t id : added) {
        if (markers.DeleteWithMarkerId(id)) {
            ++removed;
        }
    }
    // The rows as they were: the markers that stay get their checks back.
    for (const auto& [id, checked] : unchecked) {
        if (std::find(added.begin(), added.end(), id) == added.end()) {
            markers.SetMarkerCheckedWithId(id, checked);
        }
    }
    return removed;
}

void TrackGapMarkers::clear()
{
    for (const QMetaObject::Connection& watch : m_watches) {
        QObject::disconnect(watch);
    }
    m_watches.clear();
    m_added.clear();
    m_unchecked.clear();
    m_markers = nullptr;
}

void TrackGapMarkers::watch(MarkerManager& markers)
{
    auto end = [this] { clear(); };
    m_watches.push_back(QObject::connect(&markers, &MarkerManager::markerAdded, end));
    m_watches.push_back(QObject::connect(&markers, &MarkerManager::markerRemoved, end));
    m_watches.push_back(QObject::connect(&markers, &MarkerManager::markersReset, end));
}
