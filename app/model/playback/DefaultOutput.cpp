// Choice of the audio output for this process.
#include "playback/DefaultOutput.h"

#include "playback/NullOutput.h"
#include "playback/SinkOutput.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

std::unique_ptr<DefaultOutput> DefaultOutput::create(DefaultOutputDelegate* delegate)
{
    const QByteArray kind = qgetenv("SILLARO_AUDIO_OUTPUT").trimmed().toLower();
    if (kind == "null")
        return std::make_unique<NullOutput>(delegate, QString::fromLocal8Bit(qgetenv("SILLARO_AUDIO_CAPTURE")));
    return SinkOutput::create(delegate);
}

bool DefaultOutput::getFormat(OutputFormat& format) const
{
    if (m_format.sampleRate == 0 || m_format.channels == 0)
        return false;
    format = m_format;
    return true;
}
