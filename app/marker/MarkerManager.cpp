// Marker bookkeeping: positions by id, ordering and selection.
#include "marker/MarkerManager.h"

#include <algorithm>

void MarkerManager::ResetWithTotalTime(double totalTime)
{
    m_positions.clear();
    m_totalTime = totalTime;
    m_startId = m_nextId++;
    m_endId = m_nextId++;
    m_positions[m_startId] = 0.0;
    m_positions[m_endId] = totalTime;
    m_selected = m_startId;
}

bool MarkerManager::CanAddToPosition(double position) const
{
    if (position <= 0.0 || position >= m_totalTime)
        return false;
    return std::none_of(m_positions.begin(), m_positions.end(),
                        [position](const auto& kv) { return kv.second == position; });
}

int32_t MarkerManager::AddWithPosition(double position)
{
    if (!CanAddToPosition(position))
        return 0;
    const int32_t id = m_nextId++;
    m_positions[id] = position;
    return id;
}

bool MarkerManager::DeleteWithMarkerId(int32_t id)
{
    if (id == m_startId || id == m_endId || !m_positions.erase(id))
        return false;
    if (m_selected == id)
        m_selected = m_startId;
    return true;
}

bool MarkerManager::MoveSelectedMarkerToPosition(double position)
{
    if (m_selected == m_startId || m_selected == m_endId || !CanAddToPosition(position))
        return false;
    m_positions[m_selected] = position;
    return true;
}

std::vector<int32_t> MarkerManager::EnumMarkerId() const
{
    std::vector<int32_t> ids;
    for (const auto& kv : m_positions)
        ids.push_back(kv.first);
    std::stable_sort(ids.begin(), ids.end(),
                     [this](int32_t a, int32_t b) { return m_positions.at(a) < m_positions.at(b); });
    return ids;
}

double MarkerManager::GetPosition(int32_t id) const
{
    const auto it = m_positions.find(id);
    return it == m_positions.end() ? 0.0 : it->second;
}

int32_t MarkerManager::GetMarkerIdFromPosition(double position) const
{
    int32_t found = m_startId;
    for (int32_t id : EnumMarkerId()) {
        if (GetPosition(id) <= position)
            found = id;
    }
    return found;
}

void MarkerManager::setSelectedMarker(int32_t id)
{
    if (m_positions.count(id))
        m_selected = id;
}
