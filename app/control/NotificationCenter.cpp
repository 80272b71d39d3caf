// Synchronous notification delivery for the application's observers.
#include "control/NotificationCenter.h"

#include <algorithm>

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void* observer, const QString& name, Handler handler)
{
    m_entries.push_back(Entry{m_nextId++, observer, name, std::move(handler)});
}

void NotificationCenter::removeObserver(const void* observer)
{
    std::erase_if(m_entries, [observer](const Entry& e) { return e.observer == observer; });
}

void NotificationCenter::removeObserver(const void* observer, const QString& name)
{
    std::erase_if(m_entries, [observer, &name](const Entry& e) {
        return e.observer == observer && e.name == name;
    });
}

bool NotificationCenter::isRegistered(uint64_t id) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [id](const Entry& e) { return e.id == id; });
}

void NotificationCenter::post(const Notification& notification)
{
    // Snapshot so that handlers may add or remove observers while we deliver.
    std::vector<Entry> targets;
    for (const Entry& e : m_entries) {
        if (e.name == notification.name)
            targets.push_back(e);
    }
    for (const Entry& e : targets) {
        if (isRegistered(e.id))
            e.handler(notification);
    }
}
