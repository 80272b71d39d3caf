// Hit tests of the four button shapes.
#include "controls/CustomButtonShape.h"

#include <cmath>

namespace {

bool InRect(const QPointF& p, const QRectF& r)
{
    return !r.isEmpty() && p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

bool InEllipse(const QPointF& p, const QRectF& r)
{
    if (r.isEmpty())
        return false;
    const double rx = r.width() / 2.0;
    const double ry = r.height() / 2.0;
    const double dx = (p.x() - r.center().x()) / rx;
    const double dy = (p.y() - r.center().y()) / ry;
    return dx * dx + dy * dy <= 1.0;
}

bool OnOpaquePixel(const QPointF& p, const QRectF& bounds, const QImage& image)
{
    if (image.isNull() || !InRect(p, bounds))
        return false;
    // The image is drawn scaled into the bounds; look at the pixel under the point.
    const int x = static_cast<int>(std::floor((p.x() - bounds.left()) * image.width() / bounds.width()));
    const int y = static_cast<int>(std::floor((p.y() - bounds.top()) * image.height() / bounds.height()));
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return false;
    return qAlpha(image.pixel(x, y)) > 0;
}

} // namespace

bool CustomButtonHit(CustomButtonType type, const QPointF& point, const QRectF& bounds, const QRectF& trackingRect,
                     const QImage& image)
{
    switch (type) {
    case CustomButtonType::Bounds:
        return InRect(point, bounds);
    case CustomButtonType::TrackingRect:
        return InRect(point, trackingRect);
    case CustomButtonType::TrackingEllipse:
        return InEllipse(point, trackingRect);
    case CustomButtonType::ImagePixels:
        return OnOpaquePixel(point, bounds, image);
    }
    return false;
}
