// Waveform view inside the scroll view: whole-recording or zoomed display.
#pragma once

#include <QWidget>

class WaveImageManager;

class WaveView : public QWidget {
    Q_OBJECT
public:
    explicit WaveView(QWidget* parent = nullptr);
    bool isZoom() const { return m_isZoom; }
    void setIsZoom(bool zoom) { m_isZoom = zoom; update(); }
    void setImage_mng(WaveImageManager* manager) { m_imageManager = manager; }
    void reset() { update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_isZoom = false;
    WaveImageManager* m_imageManager = nullptr;
};
