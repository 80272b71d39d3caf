// Drawing of the mode text.
#include "indicator/Indicator_Mode.h"

#include <QPainter>

Indicator_Mode::Indicator_Mode(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("indicatorMode"));
}

QFont Indicator_Mode::textFont() const
{
    QFont f = font();
    f.setPixelSize(18);
    return f;
}

void Indicator_Mode::setStringValue(const QString& value)
{
    if (value == m_stringValue)
        return;
    m_stringValue = value;
    updateGeometry();
    update();
}

QSize Indicator_Mode::sizeHint() const
{
    if (m_stringValue.isEmpty())
        return QSize(0, 0);
    return QFontMetrics(textFont()).size(Qt::TextSingleLine, m_stringValue);
}

void Indicator_Mode::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(textFont());
    p.setPen(QColor(0xE5, 0xE5, 0xE5));
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, m_stringValue);
}
