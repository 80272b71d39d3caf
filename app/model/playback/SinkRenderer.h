// The render-thread half of SinkOutput: owns the QAudioSink, the pull device and the
// device watcher. Every method runs on the render thread.
#pragma once

#include "playback/DefaultOutput.h"
#include "playback/Resampler.h"

#include <QAudio>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QIODevice>
#include <QObject>
#include <memory>
#include <optional>
#include <vector>

class QAudioSink;
class QMediaDevices;

// How the preview format is played on one device.
struct SinkFormatChoice {
    QAudioFormat format;  // what the device is opened with
    bool resample = false; // the rate differs from the preview's
};

// Picks the device format for `format`: its own rate as float or 16-bit integer if
// accepted, else the device's preferred rate (resampled). None when neither is accepted.
std::optional<SinkFormatChoice> ChooseSinkFormat(const QAudioDevice& device, const OutputFormat& format);

// Converts rendered float samples to the device's sample format.
void ConvertFloatSamples(const float* in, size_t samples, QAudioFormat::SampleFormat format, char* out);

class SinkRenderer : public QObject {
    Q_OBJECT
public:
    SinkRenderer(DefaultOutputDelegate* delegate, const OutputFormat& format);
    ~SinkRenderer() override;

    bool open();
    void close();

    // Fills `frames` device frames at `out` (from the pull device).
    void render(char* out, qint64 frames);
    int deviceBytesPerFrame() const { return m_choice.format.bytesPerFrame(); }

private:
    bool openOn(const QAudioDevice& device);
    void onOutputsChanged();
    void onStateChanged(QAudio::State state);
    void pullSource(float* buffer, size_t frames);

    DefaultOutputDelegate* const m_delegate;
    const OutputFormat m_format;
    QMediaDevices* m_devices = nullptr;
    QAudioSink* m_sink = nullptr;
    QIODevice* m_pull = nullptr;
    QByteArray m_deviceId;
    SinkFormatChoice m_choice;
    std::unique_ptr<Resampler> m_resampler;
    std::vector<float> m_source;    // frames rendered at the preview rate
    std::vector<float> m_converted; // frames at the device rate not yet handed out
    size_t m_convertedRead = 0;
    bool m_closing = false;
};
