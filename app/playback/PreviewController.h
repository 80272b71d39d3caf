// Preview playback of the recording through the default output. Status 0 idle,
// 1 playing the finished recording, 2 monitoring the input while recording.
#pragma once

#include <QObject>

class ControlManager;

class PreviewController : public QObject {
    Q_OBJECT
public:
    explicit PreviewController(QObject* parent = nullptr) : QObject(parent) {}
    void setControlManager(ControlManager* manager) { m_controlManager = manager; }
    int GetStatus() const { return m_status; }
    bool Play(double position) { m_currentTime = position; return true; }
    bool BeginRecordPreview() { return true; }
    void Stop() { m_status = 0; }
    void setGain(float linear) { m_gain = linear; }
    float gain() const { return m_gain; }
    double currentTime() const { return m_currentTime; }
    // Peak levels since the last read; 0 for every channel without a playback run.
    void GetLevel(float* levels, int channels) { for (int i = 0; i < channels; ++i) levels[i] = 0.0f; }

private:
    ControlManager* m_controlManager = nullptr;
    int m_status = 0;
    float m_gain = 1.0f;
    double m_currentTime = 0.0;
};
