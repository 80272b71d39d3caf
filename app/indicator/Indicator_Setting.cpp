// Title of the recording-format indicator.
#include "indicator/Indicator_Setting.h"

Indicator_Setting::Indicator_Setting(QWidget* parent) : QPushButton(parent)
{
    setObjectName(QStringLiteral("indicatorSetting"));
    setFlat(true);
    setFocusPolicy(Qt::NoFocus);
}

QString Indicator_Setting::RateText(uint64_t rate)
{
    if (rate < 1000000 && rate % 1000 == 0)
        return QString::asprintf("%lu kHz", static_cast<unsigned long>(rate / 1000));
    if (rate < 1000000)
        return QString::asprintf("%.1f kHz", static_cast<double>(rate) / 1000.0);
    return QString::asprintf("%.1f MHz", static_cast<double>(rate) / 1000000.0);
}

void Indicator_Setting::setFormat(const QString& format)
{
    if (format == m_format)
        return;
    m_format = format;
    updateString();
}

void Indicator_Setting::setSampleRate(uint64_t rate)
{
    if (rate == m_sampleRate)
        return;
    m_sampleRate = rate;
    updateString();
}

void Indicator_Setting::setBits(uint16_t bits)
{
    if (bits == m_bits)
        return;
    m_bits = bits;
    updateString();
}

void Indicator_Setting::updateString()
{
    setText(QStringLiteral("%1  %2  %3").arg(m_format, RateText(m_sampleRate),
                                             QString::asprintf("%d bit", static_cast<int>(m_bits))));
}
