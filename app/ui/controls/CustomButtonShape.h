// Where a custom image button reacts to the pointer: its bounds, a tracking rectangle,
// the ellipse inscribed in that rectangle, or the opaque pixels of its image.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>

enum class CustomButtonType : int {
    Bounds = 0,
    TrackingRect = 1,
    TrackingEllipse = 2,
    ImagePixels = 3,
};

// point, bounds and trackingRect in the button's own coordinates. image is the normal
// image drawn into the bounds (only used by ImagePixels; a null image is never hit).
bool CustomButtonHit(CustomButtonType type, const QPointF& point, const QRectF& bounds, const QRectF& trackingRect,
                     const QImage& image);
