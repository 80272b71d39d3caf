// Title and look of the recording-format indicator.
#include "indicator/Indicator_Setting.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

Indicator_Setting::Indicator_Setting(QWidget* parent) : CustomButton(parent)
{
    setObjectName(QStringLiteral("indicatorSetting"));
    setNormalTextColor(QColor(0xE5, 0xE5, 0xE5));
    setDisableTextColor(QColor(0x8C, 0x92, 0x99));
    setCursor(Qt::PointingHandCursor);
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

QStringList Indicator_Setting::titleParts() const
{
    return {m_format, RateText(m_sampleRate), QString::asprintf("%d bit", static_cast<int>(m_bits))};
}

void Indicator_Setting::updateString()
{
    setText(titleParts().join(QString()));
    updateGeometry();
}

QFont Indicator_Setting::partFont(bool bold) const
{
    QFont f = font();
    f.setPixelSize(kFontPixels);
    f.setBold(bold);
    return f;
}

double Indicator_Setting::titleWidth() const
{
    const QStringList parts = titleParts();
    return QFontMetricsF(partFont(true)).horizontalAdvance(parts[0]) + kPartKerning +
           QFontMetricsF(partFont(false)).horizontalAdvance(parts[1]) + kPartKerning +
           QFontMetricsF(partFont(false)).horizontalAdvance(parts[2]);
}

QSize Indicator_Setting::sizeHint() const
{
    return QSize(static_cast<int>(std::ceil(titleWidth())) + 24, 28);
}

void Indicator_Setting::drawImage(QPainter& painter, const QRectF& frame)
{
    if (!isEnabled() || !(isEntered() || isDown()))
        return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isDown() ? QColor(0x3A, 0x3F, 0x45) : QColor(0x2A, 0x2E, 0x33));
    painter.drawRoundedRect(frame.adjusted(1, 1, -1, -1), 4, 4);
}

void Indicator_Setting::drawTitle(QPainter& painter, const QRectF& frame)
{
    const QStringList parts = titleParts();
    const QFontMetricsF bold(partFont(true));
    // Centred, and moved 2 points up from the vertical centre.
    double x = frame.left() + (frame.width() - titleWidth()) / 2.0;
    const double baseline = frame.top() + (frame.height() + bold.ascent() - bold.descent()) / 2.0 - 2.0;
    painter.setPen(titleColor());
    for (int i = 0; i < parts.size(); ++i) {
        const QFont f = partFont(i == 0);
        painter.setFont(f);
        painter.drawText(QPointF(x, baseline), parts[i]);
        x += QFontMetricsF(f).horizontalAdvance(parts[i]) + kPartKerning;
    }
}
