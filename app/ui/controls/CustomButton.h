// Image button of the dark interface: a normal, hover, pressed and disabled look, and a
// hit shape (bounds, tracking rectangle, its inscribed ellipse, or the image's opaque
// pixels). Presses outside the shape go on to the view behind. The title is drawn by
// the button's cell in the normal or disabled text colour.
#pragma once

#include "controls/Artwork.h"
#include "controls/CustomButtonShape.h"

#include <QAbstractButton>
#include <QColor>

class CustomButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CustomButton(QWidget* parent = nullptr);

    CustomButtonType customButtonType() const { return m_customButtonType; }
    void setCustomButtonType(CustomButtonType type);
    QRectF trackingRect() const { return m_trackingRect; }
    void setTrackingRect(const QRectF& rect);

    void setNormalImageName(const QString& name);
    void setHoverImageName(const QString& name);
    void setPressImageName(const QString& name);
    void setDisableImageName(const QString& name);
    const Artwork& normalImage() const { return m_normalImage; }

    // Title colours of the cell; an invalid colour draws the plain title colour.
    void setNormalTextColor(const QColor& color) { m_normalTextColor = color; update(); }
    void setDisableTextColor(const QColor& color) { m_disableTextColor = color; update(); }

    // Whether the pointer is inside the hit shape.
    bool isEntered() const { return m_entered; }
    // The image shown now: disabled, pressed, hover or normal look.
    const Artwork& currentImage() const;
    bool hitButton(const QPoint& pos) const override;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

    // The cell: draws the current image into the frame, then the title.
    virtual void drawImage(QPainter& painter, const QRectF& frame);
    virtual void drawTitle(QPainter& painter, const QRectF& frame);
    QColor titleColor() const;

private:
    void setEntered(bool entered);

    CustomButtonType m_customButtonType = CustomButtonType::Bounds;
    QRectF m_trackingRect;
    Artwork m_normalImage;
    Artwork m_hoverImage;
    Artwork m_pressImage;
    Artwork m_disableImage;
    QColor m_normalTextColor;
    QColor m_disableTextColor;
    bool m_entered = false;
};
