// In the wide scale, the translucent band that shows which stretch the zoom scale would show.
#pragma once

#include <QWidget>

class ZoomAreaView : public QWidget {
    Q_OBJECT
public:
    explicit ZoomAreaView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
