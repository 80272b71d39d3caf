// Suggested gap markers as one undoable step; see TrackGapMarkers.h.
#include "marker/TrackGapMarkers.h"

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
                                                         const std::vector<double>& boundaries)
{
    Outcome outcome;
    std::vector<int32_t> added;
    // The step's own changes must not end the previous step before it is replaced.
    for (const QMetaObject::Connection& watch : m_watches) {
        QObject::disconnect(watch);
    }
    m_watches.clear();
    for (double boundary : boundaries) {
        const double t = OnMarkerGrid(boundary);
        if (!markers.CanAddToPosition(t)) {
            ++outcome.skipped;
            continue;
        }
        const int32_t id = markers.AddWithPosition(t); // alerts at the limit
        if (id < 0) {
            outcome.limitReached = true;
            break;
        }
        added.push_back(id);
        ++outcome.added;
    }
    if (!added.empty()) {
        m_added = std::move(added);
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
    clear();
    int removed = 0;
    for (int32_t id : added) {
        if (markers.DeleteWithMarkerId(id)) {
            ++removed;
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
    m_markers = nullptr;
}

void TrackGapMarkers::watch(MarkerManager& markers)
{
    auto end = [this] { clear(); };
    m_watches.push_back(QObject::connect(&markers, &MarkerManager::markerAdded, end));
    m_watches.push_back(QObject::connect(&markers, &MarkerManager::markerRemoved, end));
    m_watches.push_back(QObject::connect(&markers, &MarkerManager::markersReset, end));
}
