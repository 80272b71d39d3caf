// Drawing of the mode icon from the compiled-in artwork.
#include "indicator/Indicator_Mode_Icon.h"

#include <QPainter>
#include <cmath>

Indicator_Mode_Icon::Indicator_Mode_Icon(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("indicatorModeIcon"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Indicator_Mode_Icon::setImage(const QString& name)
{
    if (name == m_image.name())
        return;
    m_image = Artwork(name);
    updateGeometry();
    update();
}

QSize Indicator_Mode_Icon::sizeHint() const
{
    const QSizeF s = m_image.size();
    return QSize(static_cast<int>(std::ceil(s.width())), static_cast<int>(std::ceil(s.height())));
}

void Indicator_Mode_Icon::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    m_image.draw(p, QPointF(0, 0));
}
