// Marker list rules: ids, spacing, limits, selection, nearest marker and moves.
#include "marker/MarkerManager.h"

#include "marker/MarkerSpacing.h"

#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

namespace {
constexpr int32_t kFirstUserId = 1;
constexpr int32_t kLastUserId = 60;
} // namespace

MarkerManager::MarkerManager(QObject* parent) : QObject(parent)
{
    const QString stored = QSettings().value(kSaveDirectoryKey).toString();
    m_DestinationDirectory =
        stored.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::MusicLocation) : stored;
}

std::vector<QMetaObject::Connection> WatchMarkerChanges(MarkerManager& markers, QObject* receiver,
                                                        const std::function<void()>& changed)
{
    return {
        QObject::connect(&markers, &MarkerManager::markersReset, receiver, changed),
        QObject::connect(&markers, &MarkerManager::markerAdded, receiver, changed),
        QObject::connect(&markers, &MarkerManager::markerRemoved, receiver, changed),
        QObject::connect(&markers, &MarkerManager::markerMoved, receiver, changed),
        QObject::connect(&markers, &MarkerManager::selectionChanged, receiver, changed),
    };
}

MarkerManager::~MarkerManager()
{
    QSettings().setValue(kSaveDirectoryKey, m_DestinationDirectory);
}

void MarkerManager::ResetWithTotalTime(double totalTime)
{
    m_marker_collection.clear();
    m_id_table.fill(0);
    m_marker_collection.emplace_back(kStartMarkerId, 0.0);
    m_marker_collection.emplace_back(kEndMarkerId, totalTime);
    m_id_table[kStartMarkerId] = 0;
    m_id_table[kEndMarkerId] = 1;
    m_edited = false;
    const int32_t previous = m_SelectedMarker;
    m_SelectedMarker = kStartMarkerId;
    emit markersReset();
    emit selectionChanged(m_SelectedMarker, previous);
}

int MarkerManager::indexOf(int32_t id) const
{
    return isMarkerExists(id) ? m_id_table[id] : -1;
}

bool MarkerManager::isMarkerExists(int32_t id) const
{
    if (id == kStartMarkerId)
        return !m_marker_collection.empty();
    return id > 0 && id < kIdTableSize && m_id_table[id] != 0;
}

int32_t MarkerManager::FindUnusedId() const
{
    for (int32_t id = kFirstUserId; id <= kLastUserId; ++id) {
        if (m_id_table[id] == 0)
            return id;
    }
    return kEndMarkerId; // none free
}

bool MarkerManager::CanAddToPosition(double t) const
{
    const auto next = std::find_if(m_marker_collection.begin(), m_marker_collection.end(),
                                   [t](const MarkerItem& m) { return m.Position() > t; });
    if (next == m_marker_collection.end() || next == m_marker_collection.begin())
        return false;
    return IsSpacedAfter(std::prev(next)->Position(), t) && IsSpacedBefore(t, next->Position());
}

int32_t MarkerManager::AddWithPosition(double t)
{
    const int32_t id = FindUnusedId();
    if (id > kLastUserId) {
        if (m_alert)
            m_alert(tr("Cannot add any more markers."));
        return kNoMarkerId;
    }
    if (!CanAddToPosition(t))
        return kNoMarkerId;
    const auto next = std::find_if(m_marker_collection.begin(), m_marker_collection.end(),
                                   [t](const MarkerItem& m) { return m.Position() > t; });
    const int index = static_cast<int>(next - m_marker_collection.begin());
    m_edited = true;
    m_marker_collection.insert(next, MarkerItem(id, t));
    m_id_table[id] = index;
    for (size_t k = static_cast<size_t>(index) + 1; k < m_marker_collection.size(); ++k)
        ++m_id_table[m_marker_collection[k].MarkerId()];
    emit markerAdded(id);
    return id;
}

bool MarkerManager::DeleteWithMarkerId(int32_t id)
{
    if (id < kFirstUserId || id > kLastUserId || !isMarkerExists(id))
        return false;
    const int k = m_id_table[id];
    m_marker_collection.erase(m_marker_collection.begin() + k);
    for (size_t j = static_cast<size_t>(k); j < m_marker_collection.size(); ++j)
        --m_id_table[m_marker_collection[j].MarkerId()];
    m_id_table[id] = 0;
    emit markerRemoved(id);
    if (m_SelectedMarker == id)
        selectIndex(k - 1);
    return true;
}

bool MarkerManager::MoveSelectedMarkerToPosition(double t)
{
    const int k = indexOf(m_SelectedMarker);
    if (k <= 0 || k >= count() - 1)
        return false; // the start or the end marker
    const double p = m_marker_collection[k - 1].Position();
    const double n = m_marker_collection[k + 1].Position();
    double position = t;
    if (!IsSpacedAfter(p, t))
        position = p + kMarkerSpacing;
    else if (!IsSpacedBefore(t, n))
        position = n - kMarkerSpacing;
    m_marker_collection[k].setPosition(position);
    emit markerMoved(m_SelectedMarker);
    return true;
}

int32_t MarkerManager::GetMarkerIdFromPosition(double t) const
{
    if (m_marker_collection.size() < 2)
        return kNoMarkerId;
    if (t < m_marker_collection.front().Position())
        return m_marker_collection.front().MarkerId();
    if (t > m_marker_collection.back().Position())
        return m_marker_collection.back().MarkerId();
    const auto at = std::find_if(m_marker_collection.begin(), m_marker_collection.end(),
                                 [t](const MarkerItem& m) { return m.Position() >= t; });
    if (at == m_marker_collection.begin())
        return at->MarkerId();
    const auto before = std::prev(at);
    return t - before->Position() < at->Position() - t ? before->MarkerId() : at->MarkerId();
}

double MarkerManager::GetMarkerPositionFromId(int32_t id) const
{
    const MarkerItem* item = GetMarkerItemFromMarkerId(id);
    return item ? item->Position() : -1.0;
}

const MarkerItem* MarkerManager::GetMarkerItemFromMarkerId(int32_t id) const
{
    const int k = indexOf(id);
    return k < 0 ? nullptr : &m_marker_collection[static_cast<size_t>(k)];
}

std::optional<MarkerTags> MarkerManager::GetMarkerTagFromMarkerId(int32_t id) const
{
    const MarkerItem* item = GetMarkerItemFromMarkerId(id);
    if (!item || !item->hasTags())
        return std::nullopt;
    return item->Tags();
}

bool MarkerManager::SetMarkerTagWithId(int32_t id, const MarkerTags& tags)
{
    const int k = indexOf(id);
    if (k < 0)
        return false;
    m_marker_collection[static_cast<size_t>(k)].setTags(tags);
    return true;
}

bool MarkerManager::IsMarkerCheckedFromId(int32_t id) const
{
    const MarkerItem* item = GetMarkerItemFromMarkerId(id);
    return item && item->Checked();
}

bool MarkerManager::SetMarkerCheckedWithId(int32_t id, bool check)
{
    const int k = indexOf(id);
    if (k < 0)
        return false;
    m_marker_collection[static_cast<size_t>(k)].setChecked(check);
    emit checkedChanged(id, check);
    return true;
}

void MarkerManager::setSelectedMarker(int32_t id)
{
    if (!isMarkerExists(id))
        return;
    const int32_t previous = m_SelectedMarker;
    m_SelectedMarker = id;
    emit selectionChanged(id, previous);
}

void MarkerManager::selectIndex(int index)
{
    if (index >= 0 && index < count())
        setSelectedMarker(m_marker_collection[static_cast<size_t>(index)].MarkerId());
}

bool MarkerManager::SelectNextMarker()
{
    const int k = indexOf(m_SelectedMarker);
    if (k < 0 || k >= count() - 1)
        return false;
    selectIndex(k + 1);
    return true;
}

bool MarkerManager::SelectPreviousMarker()
{
    const int k = indexOf(m_SelectedMarker);
    if (k <= 0)
        return false;
    selectIndex(k - 1);
    return true;
}

std::vector<int32_t> MarkerManager::EnumMarkerId() const
{
    std::vector<int32_t> ids;
    ids.reserve(m_marker_collection.size());
    for (const MarkerItem& m : m_marker_collection)
        ids.push_back(m.MarkerId());
    return ids;
}
