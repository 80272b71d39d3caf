// Layout of the waveform document view: its bands (bottom-up, see YUpCoordinates.h), the
// two horizontal scales, time <-> x conversion and the 30-minute pages of the wide scale.
#pragma once

#include <QRectF>

namespace wavegeom {

// Vertical bands, y counted upwards from the bottom edge of the document.
inline constexpr double kDocumentHeight = 359.0;
inline constexpr double kWaveAreaY = 3.0;
inline constexpr double kWaveAreaHeight = 310.0;
inline constexpr double kMarkerAreaY = 317.0;
inline constexpr double kMarkerAreaHeight = 21.0;
inline constexpr double kRulerY = 336.0;
inline constexpr double kRulerHeight = 23.0;
inline constexpr double kLane1CentreY = 237.5; // channel 1
inline constexpr double kLane2CentreY = 78.5;  // channel 2
inline constexpr double kLaneReach = 75.5;     // a full-scale peak reaches this far from the centre
inline constexpr double kClipMarkFrom = 76.5;  // red clip mark just above the lane
inline constexpr double kClipMarkTo = 78.5;
inline constexpr double kSubviewBottomY = 3.0; // marker views, cursor head and zoom window

// Horizontal figures.
inline constexpr double kLeftMargin = 20.0;
inline constexpr double kZoomHalfWave = 452.0;                    // half of the 904-px wave width
inline constexpr double kZoomOriginX = kLeftMargin + kZoomHalfWave; // 472: time 0 on the zoom scale
inline constexpr double kZoomRulerOriginX = kZoomHalfWave;         // 452
inline constexpr double kWideOriginX = kLeftMargin;                // 20
inline constexpr double kZoomPixelsPerSecond = 10.0;
inline constexpr double kWidePixelsPerSecond = 0.5;
inline constexpr int kZoomEmptyWidth = 60924;
inline constexpr int kWideEmptyWidth = 3024;
inline constexpr int kZoomExtraWidth = 924;
inline constexpr int kWideExtraWidth = 24;

// Wide-scale pages.
inline constexpr double kPageSeconds = 1800.0;
inline constexpr int kPageWidth = 900;
inline constexpr double kPageOverlap = 0.05;

// Zoom window indicator and the timeline head.
inline constexpr double kZoomWindowWidth = 45.0;
inline constexpr double kZoomWindowHalf = 22.5;

// Hit tolerance around a marker: six pixels of either scale.
inline constexpr double kZoomMarkerTolerance = 0.6000000000000001;
inline constexpr double kWideMarkerTolerance = 12.0;

double pxFromSecond(double t, bool zoom);
double secondFromPx(double x, bool zoom);
// Document width (the intrinsic content width) for a recording of totalTime seconds.
int documentWidth(double totalTime, bool zoom);
int numPages(double totalTime);
int pageFromSecond(double t, double totalTime);
// True within the page, and up to 0.05 s past either of its edges.
bool isShowSecondInPage(double t, int page);

// Hit-test areas, bottom-up, for a visible rectangle starting at visibleX.
QRectF waveArea(double visibleX, double visibleWidth);
QRectF markerArea(double visibleX, double visibleWidth);

} // namespace wavegeom
