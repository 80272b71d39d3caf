// Markers of a finished recording: a start and an end marker and the track markers
// between them, ordered by position, one of them selected.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

class MarkerManager {
public:
    // Removes every marker and places the start marker at 0 and the end marker at totalTime.
    void ResetWithTotalTime(double totalTime);
    // New marker at position; its id, or 0 when none can be added there.
    int32_t AddWithPosition(double position);
    bool CanAddToPosition(double position) const;
    bool DeleteWithMarkerId(int32_t id);
    bool MoveSelectedMarkerToPosition(double position);
    std::vector<int32_t> EnumMarkerId() const; // ascending position
    double GetPosition(int32_t id) const;
    int32_t GetMarkerIdFromPosition(double position) const; // the marker at or before position
    int32_t GetStartMarkerId() const { return m_startId; }
    int32_t GetEndMarkerId() const { return m_endId; }
    int32_t SelectedMarker() const { return m_selected; }
    void setSelectedMarker(int32_t id);
    int count() const { return static_cast<int>(m_positions.size()); }

private:
    std::map<int32_t, double> m_positions;
    int32_t m_nextId = 1;
    int32_t m_startId = 0;
    int32_t m_endId = 0;
    int32_t m_selected = 0;
    double m_totalTime = 0.0;
};
