// Mode icon: one of the images "icon_rec", "icon_recpause", "icon_play", "icon_pause",
// or none; its size is the image's size.
#pragma once

#include "controls/Artwork.h"

#include <QWidget>

class Indicator_Mode_Icon : public QWidget {
    Q_OBJECT
public:
    explicit Indicator_Mode_Icon(QWidget* parent = nullptr);
    QString image() const { return m_image.name(); }
    void setImage(const QString& name); // empty: no image
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Artwork m_image;
};
