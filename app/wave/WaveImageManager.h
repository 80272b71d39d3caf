// Waveform peak generator of one recording. Holds the display frequency and
// amplification; peak generation follows with the waveform worker.
#pragma once

#include <QObject>
#include <cstdint>

class WaveImageManager : public QObject {
    Q_OBJECT
public:
    explicit WaveImageManager(uint64_t frequency, QObject* parent = nullptr)
        : QObject(parent), m_frequency(frequency) {}
    uint64_t frequency() const { return m_frequency; }
    void setFrequency(uint64_t frequency) { m_frequency = frequency; }
    void setAmplification(double amplification) { m_amplification = amplification; }
    double amplification() const { return m_amplification; }
    void startWaveGenerate() {}
    void stopWaveGenerate() {}
    float getMaximumSample() const { return 0.0f; }

private:
    uint64_t m_frequency;
    double m_amplification = 1.0;
};
