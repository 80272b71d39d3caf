// Drawing of the page selector's text radio button.
#include "controls/CustomRadioButtonCell.h"

#include <QFontMetricsF>
#include <QPainter>

CustomRadioButtonCell::CustomRadioButtonCell(const QString& title, QWidget* parent) : QAbstractButton(parent)
{
    setText(title);
    setCheckable(true);
    setAutoExclusive(true);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::toggled, this, qOverload<>(&QWidget::update));
}

QFont CustomRadioButtonCell::titleFont() const
{
    QFont f = font();
    f.setPixelSize(12);
    return f;
}

QSize CustomRadioButtonCell::sizeHint() const
{
    const QFontMetricsF fm(titleFont());
    return QSize(static_cast<int>(fm.horizontalAdvance(text())) + 16, static_cast<int>(fm.height()) + 8);
}

void CustomRadioButtonCell::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QFont f = titleFont();
    const QFontMetricsF fm(f);
    const double textHeight = fm.height();
    const QRectF frame(rect());
    const double top = (frame.height() - textHeight - 1.0) / 2.0;
    p.setFont(f);
    p.setPen(isChecked() ? QColor(Qt::white) : QColor(0xB3, 0xB3, 0xB3));
    p.drawText(QRectF(0, top, frame.width(), textHeight), Qt::AlignHCenter | Qt::AlignVCenter, text());
    if (isChecked()) {
        p.setPen(QPen(QColor(0xE5, 0xE5, 0xE5), 1));
        const double y = frame.bottom() - 0.5;
        p.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
    }
}
