// One marker's drawing in the waveform view: a 15 x 16 head in the marker strip with its
// caption and a line down through the waveform. Owned by the waveform view; mouse presses,
// releases and moves over it go on to the waveform view.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>

class MarkerView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 330;
    static constexpr double kHeadY = 314.0; // bottom-up
    static constexpr double kHeadSize = 16.0;
    static constexpr double kLineX = 8.5;
    enum Look { Normal = 0, Hover = 1, Press = 2, Disable = 3 };

    explicit MarkerView(QWidget* parent = nullptr);

    // Loads the selected and unselected head images in their four looks; false (keeping
    // nothing of a failed set) when one is missing.
    bool loadImage();
    int markerWidth() const;
    int markerHeight() const { return kHeight; }
    // The head, bottom-up within this view: (0, 314, 16, 16).
    QRectF mouseArea() const { return QRectF(0.0, kHeadY, kHeadSize, kHeadSize); }
    // False for the start and end markers and while playing.
    bool isMovable() const;

    bool selected() const { return m_selected; }
    void setSelected(bool selected);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    double position_sec() const { return m_position_sec; }
    void setPosition_sec(double seconds) { m_position_sec = seconds; }
    const QString& marker_caption() const { return m_marker_caption; }
    void setMarker_caption(const QString& caption);
    bool hovered() const { return m_hover; }
    bool pressed() const { return m_press; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool inHead(const QPointF& qtPoint) const;
    void setHover(bool hover);
    void updateCursor();
    void forwardToParent(QMouseEvent* event);

    std::array<QImage, 4> m_image_selected;
    std::array<QImage, 4> m_image_unselected;
    bool m_selected = false;
    bool m_press = false;
    bool m_hover = false;
    bool m_enabled = true;
    double m_position_sec = 0.0;
    QString m_marker_caption;
};

// The head image "marker_<prefix>_<look>" from the compiled-in artwork; null when missing.
QImage LoadMarkerImage(const QString& prefix, const QString& look);
