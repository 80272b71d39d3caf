// The one observable application state: status, times, gain and waveform progress.
// Every setter notifies its observers synchronously, also when the value is unchanged,
// so that setting a status again refreshes everything that follows it.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

class ModeTimeManager : public QObject {
    Q_OBJECT
public:
    static ModeTimeManager& sharedInstance();

    ModeTimeManager(const ModeTimeManager&) = delete;
    ModeTimeManager& operator=(const ModeTimeManager&) = delete;

    uint32_t status() const { return m_status; }
    double currentTime() const { return m_currentTime; }
    double totalTime() const { return m_totalTime; }
    double gain() const { return m_gain; }
    double autoGain() const { return m_autoGain; }
    bool isAutoGain() const { return m_isAutoGain; }
    int32_t currentPixel() const { return m_currentPixel; }

    void setStatus(uint32_t value);
    void setCurrentTime(double value);
    void setTotalTime(double value);
    void setGain(double value);
    void setAutoGain(double value);
    void setIsAutoGain(bool value);
    void setCurrentPixel(int32_t value);

    // Runs block on the main queue once the status has left ModeStatusStopping,
    // polling every millisecond without blocking the event loop.
    void DispatchAfterRecStop(std::function<void()> block);

signals:
    void statusChanged(uint32_t status);
    void currentTimeChanged(double seconds);
    void totalTimeChanged(double seconds);
    void gainChanged(double dB);
    void autoGainChanged(double dB);
    void isAutoGainChanged(bool isAuto);
    void currentPixelChanged(int32_t pixel);

private:
    ModeTimeManager() = default;

    uint32_t m_status = 0;
    double m_currentTime = 0.0;
    double m_totalTime = 0.0;
    double m_gain = 0.0;
    double m_autoGain = 0.0;
    bool m_isAutoGain = false;
    int32_t m_currentPixel = 0;
};
