// Drawing of the rounded label background.
#include "controls/LabelBackgroundView.h"

#include <QPainter>

void LabelBackgroundView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1A, 0x1A, 0x1A));
    p.drawRoundedRect(QRectF(rect()), 4, 4);
}
