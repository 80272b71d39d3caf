// Marker head and line drawing, hover and press looks, events passed to the waveform view.
#include "marker/MarkerView.h"

#include "state/ModeStatus.h"
#include "state/ModeTimeManager.h"
#include "wave/TimelineView.h"
#include "wave/YUpCoordinates.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr unsigned kSelectedLineColour = 0xFFCC33;
constexpr unsigned kUnselectedLineColour = 0xE6AD57;
constexpr double kCaptionPointSize = 11.0;
constexpr double kHeadImageWidth = 15.0;
constexpr double kHeadImageX = 1.0;
const char* const kLooks[4] = {"normal", "hover", "press", "disable"};

bool IsPlaying()
{
    return ModeTimeManager::sharedInstance().status() == ModeStatusEditPlaying;
}

} // namespace

QImage LoadMarkerImage(const QString& prefix, const QString& look)
{
    return LoadArtworkImage(QStringLiteral("marker_%1_%2").arg(prefix, look));
}

MarkerView::MarkerView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    loadImage();
    resize(markerWidth(), kHeight);
}

bool MarkerView::loadImage()
{
    bool ok = true;
    for (const char* prefix : {"selected", "unselected"}) {
        std::array<QImage, 4> set;
        for (int i = 0; i < 4; ++i)
            set[i] = LoadMarkerImage(QLatin1String(prefix), QLatin1String(kLooks[i]));
        const bool complete = std::none_of(set.begin(), set.end(), [](const QImage& i) { return i.isNull(); });
        if (!complete) {
            ok = false;
            continue;
        }
        (prefix[0] == 's' ? m_image_selected : m_image_unselected) = set;
    }
    return ok;
}

int MarkerView::markerWidth() const
{
    return m_image_selected[Normal].isNull() ? 17 : m_image_selected[Normal].width();
}

bool MarkerView::isMovable() const
{
    if (m_marker_caption == QLatin1String("S") || m_marker_caption == QLatin1String("E"))
        return false;
    return !IsPlaying();
}

void MarkerView::setSelected(bool selected)
{
    m_selected = selected;
    update();
    updateCursor();
}

void MarkerView::setMarker_caption(const QString& caption)
{
    m_marker_caption = caption;
    update();
}

void MarkerView::updateCursor()
{
    if (m_selected && isMovable())
        setCursor(Qt::SizeHorCursor);
    else
        setCursor(Qt::ArrowCursor);
}

bool MarkerView::inHead(const QPointF& qtPoint) const
{
    const YUp up(height());
    return mouseArea().contains(QPointF(qtPoint.x(), up.fromQt(qtPoint.y())));
}

void MarkerView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const YUp up(height());
    int look = Normal;
    if (!IsPlaying())
        look = m_press ? Press : m_hover ? Hover : Normal;
    const QImage& head = (m_selected ? m_image_selected : m_image_unselected)[look];
    if (!head.isNull())
        p.drawImage(up.rect(kHeadImageX, kHeadY, kHeadImageWidth, kHeadSize), head,
                    QRectF(0.0, 0.0, kHeadImageWidth, kHeadSize));

    p.setPen(QPen(QColor::fromRgb(m_selected ? kSelectedLineColour : kUnselectedLineColour), 1.0));
    p.drawLine(up.point(kLineX, kHeadY), up.point(kLineX, 0.0));

    QFont font = QGuiApplication::font();
    font.setPointSizeF(kCaptionPointSize);
    p.setFont(font);
    const QFontMetricsF metrics(font);
    const double w = metrics.horizontalAdvance(m_marker_caption);
    const double h = metrics.height();
    QColor text = m_selected ? QColor(Qt::black) : QColor(255, 255, 255, 204);
    p.setPen(text);
    const double x = (kHeadImageWidth - w) / 2.0 + kHeadImageX;
    const double y = kHeight - (h + kHeadSize) / 2.0;
    p.drawText(up.rect(x, y, w, h), Qt::AlignCenter, m_marker_caption);
}

void MarkerView::forwardToParent(QMouseEvent* event)
{
    // The waveform view handles the click (select, drag, delete); this view only keeps its look.
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    const QPointF at = mapTo(parent, event->position().toPoint());
    QMouseEvent forwarded(event->type(), at, mapToGlobal(event->position()), event->button(), event->buttons(),
                          event->modifiers());
    QApplication::sendEvent(parent, &forwarded);
}

void MarkerView::mousePressEvent(QMouseEvent* event)
{
    if (inHead(event->position())) {
        m_press = true;
        update();
    }
    forwardToParent(event);
}

void MarkerView::mouseDoubleClickEvent(QMouseEvent* event)
{
    forwardToParent(event);
}

void MarkerView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_press) {
        m_press = false;
        update();
    }
    forwardToParent(event);
}

void MarkerView::mouseMoveEvent(QMouseEvent* event)
{
    setHover(inHead(event->position()));
    if (event->buttons() != Qt::NoButton)
        forwardToParent(event);
}

void MarkerView::leaveEvent(QEvent*)
{
    setHover(false);
}

void MarkerView::setHover(bool hover)
{
    if (hover == m_hover)
        return;
    m_hover = hover;
    update();
}

void MarkerView::contextMenuEvent(QContextMenuEvent* event)
{
    event->ignore(); // the waveform view's menu
}
