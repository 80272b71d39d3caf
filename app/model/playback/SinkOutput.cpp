// Output through the desktop's sound server, driven from a render thread.
#include "playback/SinkOutput.h"

#include "playback/SinkRenderer.h"

#include <QMediaDevices>

std::unique_ptr<SinkOutput> SinkOutput::create(DefaultOutputDelegate* delegate)
{
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        qWarning("audio output: the system reports no default output device");
        return nullptr;
    }
    return std::unique_ptr<SinkOutput>(new SinkOutput(delegate));
}

SinkOutput::SinkOutput(DefaultOutputDelegate* delegate) : DefaultOutput(delegate)
{
    m_thread.setObjectName(QStringLiteral("AudioRender"));
}

SinkOutput::~SinkOutput()
{
    stop();
}

bool SinkOutput::setFormat(const OutputFormat& format)
{
    if (format.sampleRate == 0 || format.channels == 0)
        return false;
    if (!ChooseSinkFormat(QMediaDevices::defaultAudioOutput(), format)) {
        qWarning("audio output: the default device plays neither %u Hz nor its preferred rate with %u channels",
                 format.sampleRate, format.channels);
        return false;
    }
    m_format = format;
    return true;
}

bool SinkOutput::start()
{
    if (m_renderer)
        return true;
    if (m_format.sampleRate == 0)
        return false;
    m_renderer = new SinkRenderer(delegate(), m_format);
    m_renderer->moveToThread(&m_thread);
    m_thread.start(QThread::TimeCriticalPriority);
    bool opened = false;
    QMetaObject::invokeMethod(
        m_renderer, [this]() { return m_renderer->open(); }, Qt::BlockingQueuedConnection, &opened);
    if (!opened)
        stop();
    return opened;
}

bool SinkOutput::stop()
{
    if (!m_renderer)
        return true;
    QMetaObject::invokeMethod(m_renderer, [this]() { m_renderer->close(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_renderer; // its thread has ended and it holds nothing of that thread any more
    m_renderer = nullptr;
    return true;
}
