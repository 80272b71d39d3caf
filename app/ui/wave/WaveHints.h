// The two hints over the waveform: before recording, "Clicking the “Record” button starts
// preparation for recording." on a backdrop in the middle of the visible area; in the wide
// scale of a finished recording, "Clicking this area adds a marker." in the marker strip.
// They sit on the scroll view's viewport, so they stay put while the document scrolls; the
// waveform view decides when they show.
#pragma once

#include <QObject>
#include <QString>

class QFontMetricsF;
class QLabel;
class QWidget;
class WaveScrollView;
class WaveView;

class WaveHints : public QObject {
    Q_OBJECT
public:
    // Creates the labels and backdrops on scroll's viewport and hands them to view.
    WaveHints(WaveScrollView* scroll, WaveView* view);

    QLabel* recReadyHint() const { return m_recReady; }
    QLabel* markerAreaHint() const { return m_markerArea; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layout();

    QWidget* m_viewport;
    QLabel* m_recReady;
    QWidget* m_recReadyBackdrop;
    QLabel* m_markerArea;
};

// A one-line text wider than maxWidth gets a line break at the space nearest its middle
// (the first space at or after the middle against the last one before it; the later on a
// tie). Other texts are returned unchanged.
QString BreakNearMiddle(const QString& text, const QFontMetricsF& metrics, double maxWidth);
