// The one conversion between the drawing figures of the waveform views, which count y
// upwards from a view's bottom edge, and Qt's coordinates, which count y downwards from
// its top edge. Every figure in the waveform, ruler and marker drawing code is written
// bottom-up and passes through here.
#pragma once

#include <QPointF>
#include <QRectF>

class YUp {
public:
    // height: the height of the view or image being drawn, in pixels.
    explicit constexpr YUp(double height) : m_height(height) {}

    constexpr double height() const { return m_height; }
    // y of a bottom-up coordinate in Qt's top-down coordinates.
    constexpr double y(double yUp) const { return m_height - yUp; }
    QPointF point(double x, double yUp) const { return QPointF(x, y(yUp)); }
    // Rectangle with its bottom-left corner at (x, yUp).
    QRectF rect(double x, double yUp, double width, double height) const
    {
        return QRectF(x, y(yUp) - height, width, height);
    }
    // Bottom-up y of a top-down Qt y (for mouse positions).
    constexpr double fromQt(double qtY) const { return m_height - qtY; }

private:
    double m_height;
};
