// Title and look of the gain indicator.
#include "indicator/Indicator_Gain.h"

#include "state/ModeTimeManager.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>

Indicator_Gain::Indicator_Gain(QWidget* parent) : CustomButton(parent)
{
    setObjectName(QStringLiteral("indicatorGain"));
    setNormalTextColor(QColor(0xE5, 0xE5, 0xE5));
    setDisableTextColor(QColor(0x6B, 0x71, 0x78));
    QFont f = font();
    f.setPixelSize(14);
    setFont(f);
    connect(&ModeTimeManager::sharedInstance(), &ModeTimeManager::gainChanged, this, &Indicator_Gain::refresh);
    connect(&ModeTimeManager::sharedInstance(), &ModeTimeManager::isAutoGainChanged, this, &Indicator_Gain::refresh);
    refresh();
}

QString Indicator_Gain::GainTitle(double g, bool isAuto)
{
    const QString sign = g >= 1.0 ? QStringLiteral("+") : QString();
    const QString unit = QCoreApplication::translate("Indicator_Gain", "dB");
    if (isAuto)
        return QString::asprintf("%s%0.1f %s", qUtf8Printable(sign), g, qUtf8Printable(unit));
    return QString::asprintf("%s%d %s", qUtf8Printable(sign), static_cast<int>(g), qUtf8Printable(unit));
}

void Indicator_Gain::refresh()
{
    const ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    setText(GainTitle(mtm.gain(), mtm.isAutoGain()));
}

QSize Indicator_Gain::sizeHint() const
{
    // Wide enough for the longest title, "+6.0 dB", so the button does not jump.
    const int widest = fontMetrics().horizontalAdvance(QStringLiteral("+6.0 dB"));
    return QSize(widest + 12 + kTitleRightInset, 26);
}

void Indicator_Gain::drawImage(QPainter& painter, const QRectF& frame)
{
    QColor fill(0x1A, 0x1A, 0x1A);
    if (isEnabled() && isDown())
        fill = QColor(0x3A, 0x3F, 0x45);
    else if (isEnabled() && isEntered())
        fill = QColor(0x2A, 0x2E, 0x33);
    painter.setPen(QPen(QColor(0x3A, 0x3F, 0x45), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);

    // Down arrow in the space after the title.
    const double cx = frame.right() - kTitleRightInset / 2.0;
    const double cy = frame.center().y();
    QPainterPath arrow;
    arrow.moveTo(cx - 4, cy - 2);
    arrow.lineTo(cx + 4, cy - 2);
    arrow.lineTo(cx, cy + 3);
    arrow.closeSubpath();
    painter.fillPath(arrow, titleColor());
}

void Indicator_Gain::drawTitle(QPainter& painter, const QRectF& frame)
{
    painter.setPen(titleColor());
    painter.setFont(font());
    const QRectF area(frame.left(), frame.top(), frame.width() - kTitleRightInset, frame.height());
    painter.drawText(area, Qt::AlignRight | Qt::AlignVCenter, text());
}
