// Two-channel level meter: 55 one-dB segments from -54 dB to 0 dB per channel, a held
// peak segment and an over lamp. A 0.1 s timer reads the levels of the preview playback
// from its creation to its destruction; the logic lives in LevelMeterState.
#pragma once

#include "controls/Artwork.h"
#include "indicator/LevelMeterState.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

class PreviewController;

class Indicator_LevelMeter : public QWidget {
    Q_OBJECT
public:
    // Reads one linear level per channel into levels (count given); -1 = nothing measured.
    using LevelSource = std::function<void(float* levels, int count)>;

    explicit Indicator_LevelMeter(QWidget* parent = nullptr);
    ~Indicator_LevelMeter() override;

    void setHoldTime(int32_t seconds) { m_state.setHoldTime(seconds); }
    int32_t holdTime() const { return m_state.holdTime(); }
    void clearImmediately();
    void setLevel(float left, float right); // setLevelLch:Rch:
    void setAmp(float amp) { m_state.setAmp(amp); }
    float amp() const { return m_state.amp(); }
    // The preview playback whose peak levels the meter shows.
    void setPlayController(PreviewController* controller);
    // Any other source of levels (tests, or a controller-less preview).
    void setLevelSource(LevelSource source) { m_levelSource = std::move(source); }

    const LevelMeterState& state() const { return m_state; }
    // One timer tick, also called by the timer.
    void onTimer();
    bool isTimerActive() const { return m_updateTimer.isActive(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Top of a channel's row in widget coordinates (bar_y counts from the bottom).
    double rowTop(int channelIndex) const;

    LevelMeterState m_state;
    QTimer m_updateTimer;
    LevelSource m_levelSource;
    Artwork m_barImage{QStringLiteral("meter_value")};
    Artwork m_peakImage{QStringLiteral("meter_peak")};
    Artwork m_overImage{QStringLiteral("meter_over")};
};
