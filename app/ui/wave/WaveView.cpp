// Waveform document drawing, time following, scrolling, mouse, keys and context menu.
#include "wave/WaveView.h"

#include "document/ClickMarks.h"
#include "look/DarkLook.h"
#include "state/ModeStatus.h"
#include "state/ModeTimeManager.h"
#include "marker/MarkerManager.h"
#include "marker/MarkerView.h"
#include "wave/PageSelectorMatrix.h"
#include "wave/PeakArray.h"
#include "wave/TimelineView.h"
#include "wave/WaveImageManager.h"
#include "wave/YUpCoordinates.h"
#include "wave/ZoomAreaView.h"

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

using namespace wavegeom;

namespace {

constexpr unsigned kBackgroundColour = 0x1E1F22;
constexpr unsigned kShadeColour = 0x494A4D; // before the start and after the end, at 80 %
constexpr int kShadeAlpha = 204;
constexpr unsigned kPeakColour = 0x8F9497;
constexpr unsigned kClipColour = 0xFF0000;
constexpr int kCentreLineAlpha = 26; // white at 10 %
constexpr double kRulerWidth = 3000.0;
constexpr double kZoomRulerWidth = 60000.0;
constexpr double kRulerMargin = 20.0;

const YUp kUp(kDocumentHeight);

ModeTimeManager& Mtm()
{
    return ModeTimeManager::sharedInstance();
}

// Top-left of a subview whose bottom edge sits at the document's y = 3.
int SubviewTop(int subviewHeight)
{
    return static_cast<int>(kUp.y(kSubviewBottomY)) - subviewHeight;
}

} // namespace

WaveView::WaveView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("waveView"));
    setFocusPolicy(Qt::ClickFocus); // takes keyboard input
    setAutoFillBackground(false);
    setFixedSize(intrinsicContentSize());

    ModeTimeManager& mtm = Mtm();
    connect(&mtm, &ModeTimeManager::currentPixelChanged, this, &WaveView::onCurrentPixel);
    connect(&mtm, &ModeTimeManager::currentTimeChanged, this, [this](double t) {
        if (!m_ignoreTimeChanges)
            setCurrentTime(t);
    });
    connect(&mtm, &ModeTimeManager::totalTimeChanged, this, &WaveView::setTotalTime);
    connect(&mtm, &ModeTimeManager::statusChanged, this, &WaveView::onStatus);
    connect(&mtm, &ModeTimeManager::gainChanged, this, [this](double) { update(); });
}

WaveView::~WaveView() = default;

// ---------------------------------------------------------------------------------------
// Set-up

void WaveView::reset()
{
    removeMarkerViews();
    delete m_timeline;
    m_timeline = nullptr;
    delete m_zoomarea;
    m_zoomarea = nullptr; // setIsZoom below must not reach the deleted views
    m_currentTime = 0.0;
    m_totalTime = 0.0;
    m_dragging = false;
    m_isZoom = false; // so that setIsZoom(true) below applies the zoom scale
    setIsZoom(true);

    m_zoomarea = new ZoomAreaView(this);
    m_zoomarea->move(0, SubviewTop(m_zoomarea->height()));
    m_zoomarea->hide();
    m_timeline = new TimelineView(this);
    m_timeline->setIsEditMode(false);
    const QSize head = m_timeline->imageSize();
    m_timeline->setGeometry(-head.width() / 2, SubviewTop(head.height()), head.width(), head.height());
    m_timeline->show();
    m_zoomarea->raise();
    m_timeline->raise();
    m_lastPixel = 0;
    createBitmapContext();
    scrollView();
    update();
}

void WaveView::createBitmapContext()
{
    m_currentTime = 0.0;
    if (m_image_mng)
        m_image_mng->createImageWithView(this, kRulerWidth, kZoomRulerWidth, kRulerHeight, kRulerMargin);
}

void WaveView::setHints(QLabel* markerAreaHint, QLabel* recReadyHint, QWidget* timecodeBackdrop,
                        QWidget* recReadyBackdrop)
{
    m_label_marker_area = markerAreaHint;
    m_label_rec_ready = recReadyHint;
    m_bg_timecode = timecodeBackdrop;
    m_bg_rec_ready = recReadyBackdrop;
    if (m_bg_timecode)
        m_bg_timecode->setHidden(m_isZoom);
    onStatus(Mtm().status());
}

QSize WaveView::intrinsicContentSize() const
{
    return QSize(documentWidth(m_totalTime, m_isZoom), static_cast<int>(kDocumentHeight));
}

QRectF WaveView::markerArea() const
{
    return wavegeom::markerArea(visibleX(), visibleWidth());
}

QRectF WaveView::waveArea() const
{
    return wavegeom::waveArea(visibleX(), visibleWidth());
}

QScrollArea* WaveView::scrollView() const
{
    // The document sits in the scroll area's viewport.
    QWidget* viewport = parentWidget();
    auto* scroll = viewport ? qobject_cast<QScrollArea*>(viewport->parentWidget()) : nullptr;
    if (scroll != m_connectedScroll) {
        auto* self = const_cast<WaveView*>(this);
        if (m_connectedScroll)
            disconnect(m_connectedScroll->horizontalScrollBar(), nullptr, self, nullptr);
        if (scroll)
            connect(scroll->horizontalScrollBar(), &QScrollBar::valueChanged, self, &WaveView::didScroll);
        self->m_connectedScroll = scroll;
    }
    return scroll;
}

double WaveView::visibleX() const
{
    const QScrollArea* scroll = scrollView();
    return scroll ? scroll->horizontalScrollBar()->value() : 0.0;
}

double WaveView::visibleWidth() const
{
    const QScrollArea* scroll = scrollView();
    return scroll ? scroll->viewport()->width() : width();
}

int WaveView::showingPage() const
{
    return m_page_selector ? m_page_selector->showingPage() : 0;
}

void WaveView::scrollToX(int x)
{
    if (QScrollArea* scroll = scrollView())
        scroll->horizontalScrollBar()->setValue(x);
}

// ---------------------------------------------------------------------------------------
// Scale, time and total time

void WaveView::setIsZoom(bool zoom)
{
    if (zoom != m_isZoom) {
        m_isZoom = zoom;
        setFixedSize(intrinsicContentSize());
        if (m_bg_timecode)
            m_bg_timecode->setHidden(zoom);
        if (m_zoomarea)
            m_zoomarea->setHidden(zoom);
        for (MarkerView* view : std::as_const(m_markerViews))
            placeMarkerView(view);
        setCurrentTime(Mtm().currentTime());
        hideTimelineViewIfNeeded();
    }
    checkMarkerAreaLabel();
    repaint();
    // Once more after the scroll view has taken the new size.
    QTimer::singleShot(0, this, [this] { setCurrentTime(Mtm().currentTime()); });
}

void WaveView::placeTimeline(double x)
{
    if (!m_timeline)
        return;
    m_timeline->move(static_cast<int>(std::floor(x)), m_timeline->y());
}

void WaveView::setCurrentTime(double t)
{
    m_currentTime = t;
    scrollView();
    const int headWidth = m_timeline ? m_timeline->width() : 0;
    if (!m_isZoom) {
        const int page = pageFromSecond(t);
        m_scroller_set_from_code = true;
        scrollToX(page * kPageWidth);
        if (m_page_selector)
            m_page_selector->setShowingPage(page);
        m_scroller_set_from_code = false;
        placeTimeline(pxFromSecond(t) + 0.5 - headWidth / 2.0);
        applyMarkerHidingToAll();
        if (m_zoomarea)
            m_zoomarea->move(static_cast<int>(std::round(pxFromSecond(t) - kZoomWindowHalf)), m_zoomarea->y());
    } else {
        m_scroller_set_from_code = true;
        scrollToX(static_cast<int>(std::round(kZoomPixelsPerSecond * t)));
        m_scroller_set_from_code = false;
        placeTimeline(pxFromSecond(t) + 0.5 - headWidth / 2.0);
        applyMarkerHidingToAll();
    }
    hideTimelineViewIfNeeded();
}

void WaveView::setTotalTime(double totalTime)
{
    if (totalTime == m_totalTime)
        return;
    m_totalTime = totalTime;
    if (totalTime > 0.0 && m_timeline)
        m_timeline->setIsEditMode(true);
    checkMarkerAreaLabel();
    setFixedSize(intrinsicContentSize());
}

void WaveView::hideTimelineViewIfNeeded()
{
    if (!m_timeline)
        return;
    m_timeline->setVisible(m_isZoom || isShowSecond(m_currentTime, showingPage()));
}

void WaveView::checkMarkerAreaLabel()
{
    if (!m_label_marker_area)
        return;
    const bool hidden = m_totalTime <= 0.0 || (m_markers && m_markers->IsMarkerEdited()) || m_isZoom || m_playing;
    m_label_marker_area->setHidden(hidden);
}

void WaveView::onStatus(uint32_t status)
{
    const bool recHint = status <= ModeStatusStartRequested;
    if (m_label_rec_ready)
        m_label_rec_ready->setVisible(recHint);
    if (m_bg_rec_ready)
        m_bg_rec_ready->setVisible(recHint);
    m_playing = status == ModeStatusEditPlaying;
    checkMarkerAreaLabel();
}

void WaveView::onCurrentPixel(int32_t pixel)
{
    // Only the newly recorded zoom columns need drawing.
    const int32_t old = m_lastPixel;
    m_lastPixel = pixel;
    if (pixel > old)
        update(kUp.rect(old + kZoomOriginX, kWaveAreaY, pixel - old, kWaveAreaHeight + 3.0).toAlignedRect());
}

// ---------------------------------------------------------------------------------------
// Scrolling by the user

void WaveView::didScroll()
{
    if (m_isZoom && m_totalTime > 0.0) {
        const double x = visibleX();
        const double t = std::clamp(std::floor(x) / kZoomPixelsPerSecond, 0.0, m_totalTime);
        changeTimeFromScroller(t, x);
    } else if (!m_isZoom) {
        applyMarkerHidingToAll();
        hideTimelineViewIfNeeded();
    }
}

void WaveView::changeTimeFromScroller(double t, double x)
{
    m_ignoreTimeChanges = true;
    if (!m_scroller_set_from_code) {
        m_currentTime = t;
        emit seekRequested(t);
    }
    const int headWidth = m_timeline ? m_timeline->width() : 0;
    placeTimeline(x + kZoomOriginX + 0.5 - headWidth / 2.0);
    for (MarkerView* view : std::as_const(m_markerViews))
        view->setHidden(kZoomPixelsPerSecond * view->position_sec() <
                        kZoomPixelsPerSecond * t + 0.5 - kZoomHalfWave);
    m_ignoreTimeChanges = false;
    hideTimelineViewIfNeeded();
}

// ---------------------------------------------------------------------------------------
// Marker views

void WaveView::setMarkerManager(MarkerManager* markers)
{
    if (m_markers)
        disconnect(m_markers, nullptr, this, nullptr);
    m_markers = markers;
    if (markers) {
        connect(markers, &MarkerManager::markersReset, this, &WaveView::rebuildMarkerViews);
        connect(markers, &QObject::destroyed, this, &WaveView::removeMarkerViews);
        connect(markers, &MarkerManager::markerAdded, this, &WaveView::createMarkerView);
        connect(markers, &MarkerManager::markerRemoved, this, [this](int32_t id) {
            delete m_markerViews.take(id);
            checkMarkerAreaLabel();
        });
        connect(markers, &MarkerManager::selectionChanged, this, [this](int32_t selected, int32_t previous) {
            if (MarkerView* view = m_markerViews.value(selected))
                view->setSelected(true);
            if (previous != selected)
                if (MarkerView* view = m_markerViews.value(previous))
                    view->setSelected(false);
        });
        connect(markers, &MarkerManager::markerMoved, this, &WaveView::didMarkerMove);
        connect(markers, &MarkerManager::checkedChanged, this, [this](int32_t id, bool checked) {
            if (MarkerView* view = m_markerViews.value(id))
                view->setEnabled(checked);
        });
    }
    rebuildMarkerViews();
}

void WaveView::removeMarkerViews()
{
    qDeleteAll(m_markerViews);
    m_markerViews.clear();
}

void WaveView::rebuildMarkerViews()
{
    removeMarkerViews();
    if (!m_markers)
        return;
    for (int32_t id : m_markers->EnumMarkerId())
        createMarkerView(id);
    checkMarkerAreaLabel();
}

void WaveView::createMarkerView(int32_t id)
{
    if (!m_markers || m_markerViews.contains(id))
        return;
    auto* view = new MarkerView(this);
    view->setMarker_caption(MarkerCaption(id));
    view->setSelected(m_markers->SelectedMarker() == id);
    view->setEnabled(m_markers->IsMarkerCheckedFromId(id));
    m_markerViews.insert(id, view);
    addMarkerView(view, m_markers->GetMarkerPositionFromId(id));
}

void WaveView::addMarkerView(MarkerView* view, double position)
{
    view->setParent(this);
    view->setPosition_sec(position);
    placeMarkerView(view);
    applyMarkerHiding(view);
    if (m_timeline)
        m_timeline->raise();
    checkMarkerAreaLabel();
}

void WaveView::placeMarkerView(MarkerView* view)
{
    const int w = view->markerWidth();
    view->setGeometry(static_cast<int>(pxFromSecond(view->position_sec())) - w / 2, SubviewTop(view->markerHeight()), w,
                      view->markerHeight());
}

void WaveView::applyMarkerHiding(MarkerView* view)
{
    if (m_isZoom)
        view->setHidden(kZoomPixelsPerSecond * view->position_sec() <
                        kZoomPixelsPerSecond * m_currentTime + 0.5 - kZoomHalfWave);
    else
        view->setHidden(!isShowSecond(view->position_sec(), showingPage()));
}

void WaveView::applyMarkerHidingToAll()
{
    for (MarkerView* view : std::as_const(m_markerViews))
        applyMarkerHiding(view);
}

void WaveView::didMarkerMove()
{
    if (!m_markers)
        return;
    const int32_t selected = m_markers->SelectedMarker();
    MarkerView* view = m_markerViews.value(selected);
    if (!view)
        return;
    view->setPosition_sec(m_markers->GetMarkerPositionFromId(selected));
    placeMarkerView(view);
    applyMarkerHiding(view);
    m_markers->setSelectedMarker(selected); // refreshes its look and the indicator
}

// ---------------------------------------------------------------------------------------
// Drawing

void WaveView::drawPeaks(QPainter& p, const QRect& dirty, double ox, double oy, const PeakArray* peaks,
                         float gain) const
{
    if (!peaks)
        return;
    const uint32_t length = peaks->length(); // entries below it are complete
    const int64_t first = std::max<int64_t>(0, static_cast<int64_t>(std::floor(dirty.left() - ox)));
    const int64_t last = std::min<int64_t>(length, static_cast<int64_t>(std::ceil(dirty.right() + 1 - ox)));
    const QColor peakColour = QColor::fromRgb(kPeakColour);
    const QColor clipColour = QColor::fromRgb(kClipColour);
    for (int64_t i = first; i < last; ++i) {
        const PeakEntry e = peaks->at(static_cast<uint32_t>(i));
        const float M = e.maximum * gain;
        const float m = e.minimum * gain;
        double top = std::min(M, 1.0f) * kLaneReach;
        double bottom = std::max(m, -1.0f) * kLaneReach;
        if (top - bottom < 1.0) {
            const double push = (1.0 - (top - bottom)) / 2.0;
            top += push;
            bottom -= push;
        }
        const double x = ox + static_cast<double>(i);
        p.fillRect(kUp.rect(x, oy + bottom, 1.0, top - bottom), peakColour);
        if (M >= 1.0f || m <= -1.0f)
            p.fillRect(kUp.rect(x, oy + kClipMarkFrom, 1.0, kClipMarkTo - kClipMarkFrom), clipColour);
    }
}

void WaveView::setClickMarks(const ClickMarks* marks)
{
    m_clickMarks = marks;
    update();
}

void WaveView::setSuggestedMarkers(const std::vector<double>& seconds)
{
    m_suggested = seconds;
    update();
}

// A suggested marker: a dashed line across the wave and marker areas in the focus colour,
// apart from the accepted markers' look until the user accepts it.
void WaveView::drawSuggestedMarkers(QPainter& p) const
{
    if (m_suggested.empty())
        return;
    QPen pen{QColor(look::kFocus)};
    pen.setWidth(2);
    pen.setStyle(Qt::DashLine);
    p.setPen(pen);
    for (double t : m_suggested) {
        const double x = std::floor(pxFromSecond(t)) + 0.5;
        p.drawLine(QPointF(x, kUp.fromQt(kMarkerAreaY + kMarkerAreaHeight)), QPointF(x, kUp.fromQt(kWaveAreaY)));
    }
}

// A tick at the foot of the wave area for each place of the click repair: accent for a
// repaired place, the clip colour for one left as recorded.
void WaveView::drawClickMarks(QPainter& p, const QRect& dirty) const
{
    if (!m_clickMarks || m_clickMarks->empty())
        return;
    constexpr double kTickHeight = 7.0;
    const QColor repaired(look::kAccent);
    const QColor left = QColor::fromRgb(kClipColour);
    for (const ClickPlace& place : m_clickMarks->between(secondFromPx(dirty.left() - 1), secondFromPx(dirty.right() + 2))) {
        const double x = std::floor(pxFromSecond(place.seconds));
        const double width = std::max(1.0, std::ceil(pxFromSecond(place.seconds + place.length) - x));
        p.fillRect(kUp.rect(x, 0.0, width, kTickHeight), place.repaired ? repaired : left);
    }
}

void WaveView::paintEvent(QPaintEvent* event)
{
    const QRect dirty = event->rect();
    QPainter p(this);
    p.setClipRect(dirty);
    p.fillRect(dirty, QColor::fromRgb(kBackgroundColour));
    const QColor shade(QColor::fromRgb(kShadeColour).red(), QColor::fromRgb(kShadeColour).green(),
                       QColor::fromRgb(kShadeColour).blue(), kShadeAlpha);
    const float gain = std::pow(10.0f, static_cast<float>(Mtm().gain()) / 20.0f);
    const WaveImageManager* images = m_image_mng;

    const double originX = m_isZoom ? kZoomOriginX : kWideOriginX;
    if (images) {
        const QImage& ruler = m_isZoom ? images->zoomScale() : images->wideScale();
        const double rulerX = m_isZoom ? kZoomRulerOriginX : 0.0;
        const QRectF target = kUp.rect(rulerX, kRulerY, ruler.width(), ruler.height());
        // Only the part of the ruler that is being redrawn.
        const QRectF part = target.intersected(QRectF(dirty));
        if (!part.isEmpty())
            p.drawImage(part, ruler, part.translated(-target.topLeft()));
        for (int channel = 0; channel < 2; ++channel) {
            const PeakArray* peaks = m_isZoom ? images->zoomPeaks(channel) : images->widePeaks(channel);
            drawPeaks(p, dirty, originX, channel == 0 ? kLane1CentreY : kLane2CentreY, peaks, gain);
        }
    }
    if (m_isZoom) {
        p.fillRect(kUp.rect(kLeftMargin, kWaveAreaY, kZoomHalfWave, kWaveAreaHeight), shade);
        if (m_totalTime != 0.0)
            p.fillRect(kUp.rect(std::round(kZoomPixelsPerSecond * m_totalTime) + kZoomOriginX, kWaveAreaY,
                                kZoomHalfWave, kWaveAreaHeight),
                       shade);
    } else {
        const double endX = kWidePixelsPerSecond * m_totalTime + kWideOriginX;
        const QScrollArea* scroll = scrollView();
        const double scrollWidth = scroll ? scroll->width() : width();
        p.fillRect(kUp.rect(endX, kWaveAreaY, scrollWidth, kWaveAreaHeight), shade);
    }
    const QColor centre(255, 255, 255, kCentreLineAlpha);
    for (double lane : {kLane1CentreY, kLane2CentreY})
        p.fillRect(kUp.rect(kLeftMargin, lane - 0.5, width() - kLeftMargin, 1.0), centre);
    drawClickMarks(p, dirty);
    drawSuggestedMarkers(p);
}

// ---------------------------------------------------------------------------------------
// Mouse, keys and context menu

void WaveView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        mouseDown(event->position(), false);
}

void WaveView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        mouseDown(event->position(), true);
}

void WaveView::mouseDown(const QPointF& qtPoint, bool doubleClick)
{
    setFocus(Qt::MouseFocusReason);
    const QPointF up(qtPoint.x(), kUp.fromQt(qtPoint.y()));
    const double t = secondFromPx(up.x());
    if (!doubleClick)
        m_cursor_moved_by_last_click = false;
    const uint32_t status = Mtm().status();

    if (markerArea().contains(up)) {
        if (status == ModeStatusEditPlaying || !m_markers)
            return;
        const double tolerance = m_isZoom ? kZoomMarkerTolerance : kWideMarkerTolerance;
        const int32_t nearest = m_markers->GetMarkerIdFromPosition(t);
        const double position = m_markers->GetMarkerPositionFromId(nearest);
        if (std::fabs(t - position) >= tolerance) {
            emit markerAddRequested(t);
        } else if (!doubleClick) {
            if (nearest == m_markers->SelectedMarker())
                m_dragging = true;
            else
                emit markerSelectRequested(nearest);
        } else {
            emit markerDeleteRequested(nearest);
        }
        return;
    }
    if (!waveArea().contains(up))
        return;
    if (status == ModeStatusEditPlaying) {
        if (!doubleClick && t >= 0.0 && t <= m_totalTime) {
            emit requestPause(this);
            emit seekRequested(t);
            emit requestPlay(this);
        }
    } else if (status == ModeStatusEditStopped) {
        if (!doubleClick) {
            if (t >= 0.0 && std::round(t) <= std::round(m_totalTime)) {
                emit seekRequested(std::min(t, m_totalTime));
                m_cursor_moved_by_last_click = true;
            }
        } else if (m_cursor_moved_by_last_click) {
            emit requestPlay(this);
        }
    }
}

void WaveView::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !m_markers)
        return;
    const double t = secondFromPx(event->position().x());
    emit markerMoveRequested(t);
    if (!m_isZoom)
        if (MarkerView* view = m_markerViews.value(m_markers->SelectedMarker()))
            view->setHidden(!isShowSecond(view->position_sec(), showingPage()));
}

void WaveView::mouseReleaseEvent(QMouseEvent*)
{
    m_dragging = false;
}

void WaveView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        emit requestMarkerRemove(this);
        break;
    case Qt::Key_Left:
        emit requestMarkerMoveBackward(this);
        break;
    case Qt::Key_Right:
        emit requestMarkerMoveForward(this);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

QMenu* WaveView::menuForPoint(const QPointF& upPoint)
{
    if (Mtm().status() != ModeStatusEditStopped || !markerArea().contains(upPoint) || !m_markers)
        return nullptr;
    auto* menu = new QMenu(tr("PopupMenu"), this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* add = menu->addAction(tr("Add Marker"));
    add->setEnabled(m_markers->CanAddToPosition(Mtm().currentTime()));
    connect(add, &QAction::triggered, this, [this, add] { emit requestMarkerAdd(add); });
    QAction* remove = menu->addAction(tr("Delete Marker"));
    const int32_t selected = m_markers->SelectedMarker();
    remove->setEnabled(selected != m_markers->GetStartMarkerId() && selected != m_markers->GetEndMarkerId());
    connect(remove, &QAction::triggered, this, [this, remove] { emit requestMarkerRemove(remove); });
    QAction* clear = menu->addAction(tr("Remove All Markers"));
    clear->setEnabled(m_markers->EnumMarkerId() !=
                      std::vector<int32_t>{m_markers->GetStartMarkerId(), m_markers->GetEndMarkerId()});
    connect(clear, &QAction::triggered, this, [this, clear] { emit requestMarkerRemoveAll(clear); });
    return menu;
}

void WaveView::contextMenuEvent(QContextMenuEvent* event)
{
    const QPointF up(event->pos().x(), kUp.fromQt(event->pos().y()));
    if (QMenu* menu = menuForPoint(up))
        menu->popup(event->globalPos());
}
