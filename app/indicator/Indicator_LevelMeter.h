// Two-channel level meter. Shows an empty scale until the playback levels are wired in.
#pragma once

#include <QWidget>
#include <cstdint>

class PreviewController;

class Indicator_LevelMeter : public QWidget {
    Q_OBJECT
public:
    explicit Indicator_LevelMeter(QWidget* parent = nullptr);
    void setHoldTime(int32_t seconds) { m_holdTime = seconds; }
    int32_t holdTime() const { return m_holdTime; }
    void clearImmediately() { update(); }
    void setAmp(float amp) { m_amp = amp; }
    float amp() const { return m_amp; }
    void setPlayController(PreviewController* controller) { m_playController = controller; }
    QSize sizeHint() const override { return QSize(290, 40); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int32_t m_holdTime = 3;
    float m_amp = 1.0f;
    PreviewController* m_playController = nullptr;
};
