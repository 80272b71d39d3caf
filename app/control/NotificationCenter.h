// The application's notification centre: named notifications with an object and a
// user-information map, delivered synchronously to every observer, in registration order,
// on the thread that posts (always the main thread here).
#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <vector>

struct Notification {
    QString name;
    QVariant object;
    QVariantMap userInfo;
};

class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    static NotificationCenter& defaultCenter();

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // observer identifies the registration for removal; it is never dereferenced.
    void addObserver(const void* observer, const QString& name, Handler handler);
    void removeObserver(const void* observer);
    void removeObserver(const void* observer, const QString& name);

    // Observers added or removed by a handler take effect for the next post;
    // an observer removed during delivery is not called afterwards.
    void post(const Notification& notification);

private:
    struct Entry {
        uint64_t id;
        const void* observer;
        QString name;
        Handler handler;
    };
    bool isRegistered(uint64_t id) const;

    std::vector<Entry> m_entries;
    uint64_t m_nextId = 1;
};
