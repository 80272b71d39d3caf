// Zoom window band: white at 20 % over its whole 45 x 310 rectangle.
#include "wave/ZoomAreaView.h"

#include "wave/WaveGeometry.h"

#include <QPainter>

ZoomAreaView::ZoomAreaView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(static_cast<int>(wavegeom::kZoomWindowWidth), static_cast<int>(wavegeom::kWaveAreaHeight));
}

void ZoomAreaView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(QRectF(0.0, 0.0, wavegeom::kZoomWindowWidth, wavegeom::kWaveAreaHeight), QColor(255, 255, 255, 51));
}
