// Keeps the desktop from idle sleep while it exists, through the freedesktop
// ScreenSaver or PowerManagement Inhibit interface on the session bus.
// Where neither is available nothing is held and nothing is released.
#pragma once

#include <QString>
#include <cstdint>

class IdleSleepInhibitor {
public:
    explicit IdleSleepInhibitor(const QString& reason);
    ~IdleSleepInhibitor();
    IdleSleepInhibitor(const IdleSleepInhibitor&) = delete;
    IdleSleepInhibitor& operator=(const IdleSleepInhibitor&) = delete;

    uint32_t assertionID() const { return m_cookie; } // 0 when none is held

private:
    QString m_service;
    QString m_path;
    uint32_t m_cookie = 0;
};
