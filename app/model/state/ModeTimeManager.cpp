// Observable application state and the deferred action after a background stop.
#include "state/ModeTimeManager.h"

#include "state/ModeStatus.h"

#include <QTimer>

ModeTimeManager& ModeTimeManager::sharedInstance()
{
    static ModeTimeManager* instance = new ModeTimeManager; // lives for the whole process
    return *instance;
}

void ModeTimeManager::setStatus(uint32_t value)
{
    m_status = value;
    emit statusChanged(value);
}

void ModeTimeManager::setCurrentTime(double value)
{
    m_currentTime = value;
    emit currentTimeChanged(value);
}

void ModeTimeManager::setTotalTime(double value)
{
    m_totalTime = value;
    emit totalTimeChanged(value);
}

void ModeTimeManager::setGain(double value)
{
    m_gain = value;
    emit gainChanged(value);
}

void ModeTimeManager::setAutoGain(double value)
{
    m_autoGain = value;
    emit autoGainChanged(value);
}

void ModeTimeManager::setIsAutoGain(bool value)
{
    m_isAutoGain = value;
    emit isAutoGainChanged(value);
}

void ModeTimeManager::setCurrentPixel(int32_t value)
{
    m_currentPixel = value;
    emit currentPixelChanged(value);
}

void ModeTimeManager::DispatchAfterRecStop(std::function<void()> block)
{
    if (m_status == ModeStatusStopping) {
        QTimer::singleShot(1, this, [this, block = std::move(block)]() mutable {
            DispatchAfterRecStop(std::move(block));
        });
        return;
    }
    QMetaObject::invokeMethod(this, std::move(block), Qt::QueuedConnection);
}
