// Time and page arithmetic of the waveform document.
#include "wave/WaveGeometry.h"

#include <algorithm>
#include <cmath>

namespace wavegeom {

double pxFromSecond(double t, bool zoom)
{
    if (zoom)
        return std::round(kZoomPixelsPerSecond * t) + kZoomOriginX;
    // Tenths of a second, twenty per pixel, truncated.
    return static_cast<double>(std::lround(kZoomPixelsPerSecond * t) / 20) + kWideOriginX;
}

double secondFromPx(double x, bool zoom)
{
    if (zoom)
        return std::round(x - kZoomOriginX) * 0.1;
    return std::round(x - kWideOriginX) * 2.0;
}

int documentWidth(double totalTime, bool zoom)
{
    if (zoom)
        return totalTime != 0.0 ? static_cast<int>(std::round(kZoomPixelsPerSecond * totalTime)) + kZoomExtraWidth
                                : kZoomEmptyWidth;
    return totalTime != 0.0 ? numPages(totalTime) * kPageWidth + kWideExtraWidth : kWideEmptyWidth;
}

int numPages(double totalTime)
{
    return static_cast<int>(std::ceil(std::ceil((totalTime - kPageOverlap) * kWidePixelsPerSecond) / kPageWidth));
}

int pageFromSecond(double t, double totalTime)
{
    const long page = std::lround(kZoomPixelsPerSecond * t) / static_cast<long>(kPageSeconds * kZoomPixelsPerSecond);
    // Never below page 0, also for an empty recording (no pages).
    return std::max(0, std::min(static_cast<int>(page), numPages(totalTime) - 1));
}

bool isShowSecondInPage(double t, int page)
{
    return page * kPageSeconds - kPageOverlap < t && t < (page + 1) * kPageSeconds + kPageOverlap;
}

QRectF waveArea(double visibleX, double visibleWidth)
{
    return QRectF(visibleX + kLeftMargin, kWaveAreaY, visibleWidth - kLeftMargin, kWaveAreaHeight);
}

QRectF markerArea(double visibleX, double visibleWidth)
{
    return QRectF(visibleX + kLeftMargin, kMarkerAreaY, visibleWidth - kLeftMargin, kMarkerAreaHeight);
}

} // namespace wavegeom
