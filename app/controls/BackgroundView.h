// Draws a part of a named artwork image at its top-left corner; an empty part means the
// whole image.
#pragma once

#include "controls/Artwork.h"

#include <QWidget>

class BackgroundView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    void setImageName(const QString& name);
    QString imageName() const { return m_image.name(); }
    void setFromRect(const QRectF& rect);
    QRectF fromRect() const { return m_fromRect; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Artwork m_image;
    QRectF m_fromRect;
};
