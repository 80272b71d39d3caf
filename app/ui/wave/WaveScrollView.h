// The scroll view around the waveform document. Scrolling by the user (wheel, scroller)
// is possible only while enabled; the control manager decides when. Its viewport is a
// FlippedClipView.
#pragma once

#include <QScrollArea>

class WaveScrollView : public QScrollArea {
    Q_OBJECT
public:
    explicit WaveScrollView(QWidget* parent = nullptr);

    bool scrollingEnabled() const { return m_scrollingEnabled; }
    void setScrollingEnabled(bool enabled);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    bool m_scrollingEnabled = false;
};
