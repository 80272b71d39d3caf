// Drawing of the empty waveform area: background and centre lines of both channels.
#include "wave/WaveView.h"

#include <QPainter>

WaveView::WaveView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("waveView"));
    setMinimumSize(600, 200);
}

void WaveView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0x10, 0x14, 0x18));
    p.setPen(QColor(0x30, 0x50, 0x60));
    const int h = height();
    p.drawLine(0, h / 4, width(), h / 4);
    p.drawLine(0, 3 * h / 4, width(), 3 * h / 4);
    p.setPen(QColor(0x20, 0x28, 0x30));
    p.drawLine(0, h / 2, width(), h / 2);
}
