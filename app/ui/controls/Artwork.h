// One named image of the program's compiled-in artwork (":/artwork/<name>.svg"), drawn
// as vectors so that it stays sharp at any display scale. A name without artwork gives
// a null image that draws nothing and has no size.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <memory>

class QPainter;
class QSvgRenderer;

class Artwork {
public:
    Artwork() = default;
    explicit Artwork(const QString& name);

    bool isNull() const { return !m_renderer; }
    const QString& name() const { return m_name; }
    // Natural size in points.
    QSizeF size() const { return m_size; }

    void draw(QPainter& painter, const QPointF& topLeft) const;
    void draw(QPainter& painter, const QRectF& target) const;
    // Rendered at the given pixel size (for pixel hit tests).
    QImage toImage(const QSize& pixels) const;

private:
    QString m_name;
    QSizeF m_size;
    std::shared_ptr<QSvgRenderer> m_renderer;
};
