// The two time rulers drawn above the waveform: minutes and seconds every 5 s on the
// zoom scale (10 px/s), minutes on the wide scale (0.5 px/s).
#pragma once

#include <QImage>

// Ruler figures, bottom-up within the ruler image.
namespace ruler {
inline constexpr double kLabelCentreY = 10.5;
inline constexpr double kLabelPointSize = 11.0;
inline constexpr unsigned kLabelColour = 0xB3B3B3;
inline constexpr unsigned kTickColour = 0x808080;
} // namespace ruler

// Renders the zoom ruler into image: a label "mm:ss" every 5 s (50 px) for 0 to 5995 s,
// ticks every 2 px of 4 (5 s), 2 (1 s) or 1 (0.2 s) pixels.
void drawZoomInScaleWithImage(QImage& image, double leftMargin, double width);
// Renders the wide ruler into image: a label "mm" every minute (30 px) for 0 to 99,
// ticks every 5 px of 4 (a minute) or 2 (10 s) pixels.
void drawZoomOutScaleWithImage(QImage& image, double leftMargin, double width);
