// Render-thread side of the sound-server output.
#include "playback/SinkRenderer.h"

#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The most preview frames asked of the delegate in one go while resampling.
constexpr size_t kMaxSourceBlock = 8192;

// The pull side of the sink: every read is answered in full from the renderer, so the
// device never underruns; silence is the renderer's business.
class SinkPullDevice : public QIODevice {
public:
    SinkPullDevice(SinkRenderer* renderer, QObject* parent) : QIODevice(parent), m_renderer(renderer) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return QIODevice::bytesAvailable() + (1 << 20); }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const int bytesPerFrame = m_renderer->deviceBytesPerFrame();
        const qint64 frames = bytesPerFrame > 0 ? maxSize / bytesPerFrame : 0;
        if (frames > 0)
            m_renderer->render(data, frames);
        return frames * bytesPerFrame;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    SinkRenderer* m_renderer;
};

QAudioFormat MakeFormat(int rate, int channels, QAudioFormat::SampleFormat sampleFormat)
{
    QAudioFormat f;
    f.setSampleRate(rate);
    f.setChannelCount(channels);
    f.setSampleFormat(sampleFormat);
    return f;
}

} // namespace

std::optional<SinkFormatChoice> ChooseSinkFormat(const QAudioDevice& device, const OutputFormat& format)
{
    if (device.isNull())
        return std::nullopt;
    const int channels = static_cast<int>(format.channels);
    const int preferred = device.preferredFormat().sampleRate();
    for (int rate : {static_cast<int>(format.sampleRate), preferred}) {
        if (rate <= 0)
            continue;
        for (QAudioFormat::SampleFormat sf : {QAudioFormat::Float, QAudioFormat::Int16}) {
            const QAudioFormat f = MakeFormat(rate, channels, sf);
            if (device.isFormatSupported(f))
                return SinkFormatChoice{f, rate != static_cast<int>(format.sampleRate)};
        }
    }
    return std::nullopt;
}

void ConvertFloatSamples(const float* in, size_t samples, QAudioFormat::SampleFormat format, char* out)
{
    if (format == QAudioFormat::Float) {
        std::memcpy(out, in, samples * sizeof(float));
        return;
    }
    for (size_t i = 0; i < samples; ++i) {
        const float v = std::clamp(in[i], -1.0f, 1.0f) * 32767.0f;
        const auto s = static_cast<int16_t>(std::lrint(v));
        std::memcpy(out + i * sizeof(int16_t), &s, sizeof(s));
    }
}

SinkRenderer::SinkRenderer(DefaultOutputDelegate* delegate, const OutputFormat& format)
    : m_delegate(delegate), m_format(format)
{
}

SinkRenderer::~SinkRenderer() = default;

bool SinkRenderer::open()
{
    m_closing = false;
    m_devices = new QMediaDevices(this);
    connect(m_devices, &QMediaDevices::audioOutputsChanged, this, &SinkRenderer::onOutputsChanged);
    if (openOn(QMediaDevices::defaultAudioOutput()))
        return true;
    close();
    return false;
}

bool SinkRenderer::openOn(const QAudioDevice& device)
{
    const std::optional<SinkFormatChoice> choice = ChooseSinkFormat(device, m_format);
    if (!choice) {
        qWarning("audio output %s: refuses %u Hz with %u channels", qPrintable(device.description()),
                 m_format.sampleRate, m_format.channels);
        return false;
    }
    m_choice = *choice;
    m_resampler.reset();
    if (m_choice.resample)
        m_resampler = std::make_unique<Resampler>(m_format.sampleRate, m_choice.format.sampleRate(), m_format.channels);
    m_converted.clear();
    m_convertedRead = 0;

    m_sink = new QAudioSink(device, m_choice.format, this);
    connect(m_sink, &QAudioSink::stateChanged, this, &SinkRenderer::onStateChanged);
    m_pull = new SinkPullDevice(this, this);
    m_pull->open(QIODevice::ReadOnly);
    m_sink->start(m_pull);
    if (m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        qWarning("audio output %s: cannot be opened (error %d)", qPrintable(device.description()),
                 static_cast<int>(m_sink->error()));
        m_closing = true;
        delete m_sink;
        m_sink = nullptr;
        delete m_pull;
        m_pull = nullptr;
        m_closing = false;
        return false;
    }
    m_deviceId = device.id();
    return true;
}

void SinkRenderer::close()
{
    m_closing = true;
    if (m_sink)
        m_sink->stop();
    delete m_sink;
    m_sink = nullptr;
    delete m_pull;
    m_pull = nullptr;
    delete m_devices;
    m_devices = nullptr;
}

void SinkRenderer::onOutputsChanged()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (m_closing || device.isNull() || device.id() == m_deviceId)
        return;
    // The user chose another default output: move there.
    m_closing = true;
    if (m_sink)
        m_sink->stop();
    delete m_sink;
    m_sink = nullptr;
    delete m_pull;
    m_pull = nullptr;
    m_closing = false;
    if (!openOn(device))
        m_delegate->DefaultOutput_Failed();
}

void SinkRenderer::onStateChanged(QAudio::State state)
{
    if (m_closing || !m_sink || state != QAudio::StoppedState)
        return;
    const QAudio::Error error = m_sink->error();
    if (error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError) {
        qWarning("audio output stopped (error %d)", static_cast<int>(error));
        m_delegate->DefaultOutput_Failed();
    }
}

void SinkRenderer::pullSource(float* buffer, size_t frames)
{
    std::fill(buffer, buffer + frames * m_format.channels, 0.0f);
    m_delegate->DefaultOutput_RenderCallback(buffer, static_cast<uint32_t>(frames));
}

void SinkRenderer::render(char* out, qint64 frames)
{
    const size_t ch = m_format.channels;
    const size_t wanted = static_cast<size_t>(frames);
    if (!m_resampler) {
        m_source.resize(wanted * ch);
        pullSource(m_source.data(), wanted);
        ConvertFloatSamples(m_source.data(), wanted * ch, m_choice.format.sampleFormat(), out);
        return;
    }
    while ((m_converted.size() - m_convertedRead) / ch < wanted) {
        const size_t have = (m_converted.size() - m_convertedRead) / ch;
        const size_t n = std::clamp<size_t>(m_resampler->inputFramesFor(wanted - have), 1, kMaxSourceBlock);
        m_source.resize(n * ch);
        pullSource(m_source.data(), n);
        m_resampler->process(m_source.data(), n, m_converted);
    }
    ConvertFloatSamples(m_converted.data() + m_convertedRead, wanted * ch, m_choice.format.sampleFormat(), out);
    m_convertedRead += wanted * ch;
    if (m_convertedRead * 2 >= m_converted.size()) {
        m_converted.erase(m_converted.begin(), m_converted.begin() + std::ptrdiff_t(m_convertedRead));
        m_convertedRead = 0;
    }
}
