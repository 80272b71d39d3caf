// Looks, hit shape and pointer tracking of the image button.
#include "controls/CustomButton.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

CustomButton::CustomButton(QWidget* parent) : QAbstractButton(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

void CustomButton::setCustomButtonType(CustomButtonType type)
{
    m_customButtonType = type;
    setEntered(underMouse() && hitButton(mapFromGlobal(QCursor::pos())));
}

void CustomButton::setTrackingRect(const QRectF& rect)
{
    m_trackingRect = rect;
    setEntered(underMouse() && hitButton(mapFromGlobal(QCursor::pos())));
}

void CustomButton::setNormalImageName(const QString& name)
{
    m_normalImage = Artwork(name);
    updateGeometry();
    update();
}

void CustomButton::setHoverImageName(const QString& name)
{
    m_hoverImage = Artwork(name);
    update();
}

void CustomButton::setPressImageName(const QString& name)
{
    m_pressImage = Artwork(name);
    update();
}

void CustomButton::setDisableImageName(const QString& name)
{
    m_disableImage = Artwork(name);
    update();
}

const Artwork& CustomButton::currentImage() const
{
    if (!isEnabled() && !m_disableImage.isNull())
        return m_disableImage;
    if (isEnabled() && isDown() && !m_pressImage.isNull())
        return m_pressImage;
    if (isEnabled() && m_entered && !m_hoverImage.isNull())
        return m_hoverImage;
    return m_normalImage;
}

bool CustomButton::hitButton(const QPoint& pos) const
{
    QImage pixels;
    if (m_customButtonType == CustomButtonType::ImagePixels && !m_normalImage.isNull())
        pixels = m_normalImage.toImage(size());
    return CustomButtonHit(m_customButtonType, QPointF(pos) + QPointF(0.5, 0.5), QRectF(rect()), m_trackingRect,
                           pixels);
}

QSize CustomButton::sizeHint() const
{
    const Artwork& image = currentImage().isNull() ? m_normalImage : currentImage();
    if (!image.isNull())
        return QSize(static_cast<int>(std::ceil(image.size().width())), static_cast<int>(std::ceil(image.size().height())));
    const QSize text = fontMetrics().size(Qt::TextSingleLine, this->text());
    return QSize(text.width() + 16, text.height() + 8);
}

void CustomButton::setEntered(bool entered)
{
    if (entered == m_entered)
        return;
    m_entered = entered;
    update();
}

void CustomButton::mouseMoveEvent(QMouseEvent* event)
{
    setEntered(hitButton(event->position().toPoint()));
    QAbstractButton::mouseMoveEvent(event);
}

void CustomButton::leaveEvent(QEvent* event)
{
    setEntered(false);
    QAbstractButton::leaveEvent(event);
}

void CustomButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QAbstractButton::changeEvent(event);
}

QColor CustomButton::titleColor() const
{
    const QColor chosen = isEnabled() ? m_normalTextColor : m_disableTextColor;
    return chosen.isValid() ? chosen : palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                                        QPalette::ButtonText);
}

void CustomButton::drawImage(QPainter& painter, const QRectF& frame)
{
    currentImage().draw(painter, frame);
}

void CustomButton::drawTitle(QPainter& painter, const QRectF& frame)
{
    if (text().isEmpty())
        return;
    painter.setPen(titleColor());
    painter.setFont(font());
    painter.drawText(frame, Qt::AlignCenter, text());
}

void CustomButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(rect());
    drawImage(p, frame);
    drawTitle(p, frame);
}
