// Scroll view that passes wheel scrolling on only while enabled.
#include "wave/WaveScrollView.h"

#include "wave/FlippedClipView.h"

#include <QScrollBar>
#include <QWheelEvent>

WaveScrollView::WaveScrollView(QWidget* parent) : QScrollArea(parent)
{
    setObjectName(QStringLiteral("waveScrollView"));
    setViewport(new FlippedClipView(this));
    setWidgetResizable(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setScrollingEnabled(false);
}

void WaveScrollView::setScrollingEnabled(bool enabled)
{
    m_scrollingEnabled = enabled;
    horizontalScrollBar()->setEnabled(enabled);
}

void WaveScrollView::wheelEvent(QWheelEvent* event)
{
    if (m_scrollingEnabled)
        QScrollArea::wheelEvent(event);
    else
        event->ignore();
}
