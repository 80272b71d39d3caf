// Loading and drawing of the SVG artwork.
#include "controls/Artwork.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

Artwork::Artwork(const QString& name) : m_name(name)
{
    if (name.isEmpty())
        return;
    const QString path = QStringLiteral(":/artwork/%1.svg").arg(name);
    if (!QFile::exists(path))
        return;
    auto renderer = std::make_shared<QSvgRenderer>(path);
    if (!renderer->isValid())
        return;
    m_renderer = std::move(renderer);
    m_size = m_renderer->defaultSize();
}

void Artwork::draw(QPainter& painter, const QPointF& topLeft) const
{
    draw(painter, QRectF(topLeft, m_size));
}

void Artwork::draw(QPainter& painter, const QRectF& target) const
{
    if (m_renderer)
        m_renderer->render(&painter, target);
}

QImage Artwork::toImage(const QSize& pixels) const
{
    if (!m_renderer || pixels.isEmpty())
        return QImage();
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    m_renderer->render(&p, QRectF(QPointF(0, 0), QSizeF(pixels)));
    return image;
}
