// Drawing of a part of an artwork image.
#include "controls/BackgroundView.h"

#include <QPainter>

void BackgroundView::setImageName(const QString& name)
{
    m_image = Artwork(name);
    update();
}

void BackgroundView::setFromRect(const QRectF& rect)
{
    m_fromRect = rect;
    update();
}

void BackgroundView::paintEvent(QPaintEvent*)
{
    if (m_image.isNull())
        return;
    if (m_fromRect.isEmpty())
        m_fromRect = QRectF(QPointF(0, 0), m_image.size());
    QPainter p(this);
    p.setClipRect(QRectF(QPointF(0, 0), m_fromRect.size()));
    // Shift the whole image so that the part's corner lands at (0, 0).
    m_image.draw(p, QPointF(-m_fromRect.left(), -m_fromRect.top()));
}
