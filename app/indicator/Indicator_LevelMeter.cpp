// Drawing of the level meter's unlit scale.
#include "indicator/Indicator_LevelMeter.h"

#include <QPainter>

Indicator_LevelMeter::Indicator_LevelMeter(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("indicatorLevelMeter"));
}

void Indicator_LevelMeter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    for (int row = 0; row < 2; ++row) {
        const int y = row == 0 ? 31 : 0;
        for (int i = 0; i < 55; ++i)
            p.fillRect(i * 5, y + 2, 4, 6, QColor(0x2A, 0x3A, 0x2A));
        p.fillRect(275, y + 2, 10, 6, QColor(0x3A, 0x20, 0x20));
    }
}
