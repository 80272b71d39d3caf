// The waveform document: stereo peaks of the recording on a zoom scale (10 px/s, the cursor
// held mid-view while the document scrolls) or a wide scale (0.5 px/s in 30-minute pages),
// with the time ruler, the marker strip, the cursor head and the marker views. Follows the
// mode-time manager and the marker manager read-only, turns clicks, drags, keys and its
// context menu into intents and commands (signals the window connects to the control
// manager), and owns the marker views, which it keeps in step with the marker manager.
// Under the waveform it marks the places the click repair rebuilt (or left as recorded).
#pragma once

#include "marker/MarkerManager.h"
#include "wave/PageSelectorMatrix.h"
#include "wave/WaveGeometry.h"
#include "wave/WaveImageManager.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <vector>

class ClickMarks;
class MarkerView;
class PeakArray;
class QLabel;
class QMenu;
class QScrollArea;
class TimelineView;
class ZoomAreaView;

class WaveView : public QWidget {
    Q_OBJECT
public:
    explicit WaveView(QWidget* parent = nullptr);
    ~WaveView() override;

    void reset();
    void createBitmapContext();

    bool isZoom() const { return m_isZoom; }
    void setIsZoom(bool zoom);
    double currentTime() const { return m_currentTime; }
    void setCurrentTime(double t);
    double totalTime() const { return m_totalTime; }
    void setTotalTime(double totalTime);

    WaveImageManager* image_mng() const { return m_image_mng; }
    void setImage_mng(WaveImageManager* manager) { m_image_mng = manager; }
    PageSelectorMatrix* page_selector() const { return m_page_selector; }
    void setPage_selector(PageSelectorMatrix* selector) { m_page_selector = selector; }
    // The markers to show and edit; the view creates and owns one MarkerView per marker.
    void setMarkerManager(MarkerManager* markers);
    MarkerManager* markerManager() const { return m_markers; }
    // The click repair's places to mark (not owned; null: none).
    void setClickMarks(const ClickMarks* marks);
    // Markers suggested but not yet accepted (seconds), drawn as dashed lines.
    void setSuggestedMarkers(const std::vector<double>& seconds);
    // Hint labels and backdrops (not owned; any may be null).
    void setHints(QLabel* markerAreaHint, QLabel* recReadyHint, QWidget* timecodeBackdrop, QWidget* recReadyBackdrop);

    void addMarkerView(MarkerView* view, double position);
    MarkerView* markerViewForId(int32_t id) const { return m_markerViews.value(id); }
    TimelineView* timeline() const { return m_timeline; }
    ZoomAreaView* zoomarea() const { return m_zoomarea; }

    double pxFromSecond(double t) const { return wavegeom::pxFromSecond(t, m_isZoom); }
    double secondFromPx(double x) const { return wavegeom::secondFromPx(x, m_isZoom); }
    int numPages() const { return wavegeom::numPages(m_totalTime); }
    int pageFromSecond(double t) const { return wavegeom::pageFromSecond(t, m_totalTime); }
    bool isShowSecond(double t, int page) const { return wavegeom::isShowSecondInPage(t, page); }
    QRectF markerArea() const; // bottom-up
    QRectF waveArea() const;   // bottom-up
    QSize intrinsicContentSize() const;
    QSize sizeHint() const override { return intrinsicContentSize(); }

    void checkMarkerAreaLabel();
    void hideTimelineViewIfNeeded();
    // Scrolls the enclosing scroll view so that document x is at its left edge.
    void scrollToX(int x);

    // The context menu the view would show at a bottom-up point; null where there is none.
    QMenu* menuForPoint(const QPointF& upPoint);

signals:
    // Intents: the user asked for the current time t, a marker at t, another selected
    // marker, the selected marker dragged to t, or a marker deleted.
    void seekRequested(double t);
    void markerAddRequested(double t);
    void markerSelectRequested(int32_t id);
    void markerMoveRequested(double t);
    void markerDeleteRequested(int32_t id);
    // Commands for the control manager, each with the view (or a menu item) as sender.
    void requestPause(QObject* sender);
    void requestPlay(QObject* sender);
    void requestMarkerAdd(QObject* sender);
    void requestMarkerRemove(QObject* sender);
    void requestMarkerRemoveAll(QObject* sender);
    void requestMarkerMoveBackward(QObject* sender);
    void requestMarkerMoveForward(QObject* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void mouseDown(const QPointF& qtPoint, bool doubleClick);
    void drawPeaks(class QPainter& p, const QRect& dirty, double ox, double oy, const PeakArray* peaks, float gain) const;
    void drawClickMarks(class QPainter& p, const QRect& dirty) const;
    void drawSuggestedMarkers(class QPainter& p) const;
    void placeMarkerView(MarkerView* view);
    void applyMarkerHiding(MarkerView* view);
    void applyMarkerHidingToAll();
    void placeTimeline(double x);
    void didScroll();
    void changeTimeFromScroller(double t, double x);
    void onCurrentPixel(int32_t pixel);
    void onStatus(uint32_t status);
    void didMarkerMove();
    void rebuildMarkerViews();
    void removeMarkerViews();
    void createMarkerView(int32_t id);
    QScrollArea* scrollView() const;
    double visibleX() const;
    double visibleWidth() const;
    int showingPage() const;

    bool m_playing = false;
    bool m_dragging = false;
    bool m_scroller_set_from_code = false;
    bool m_cursor_moved_by_last_click = false;
    bool m_ignoreTimeChanges = false;
    bool m_isZoom = true;
    double m_currentTime = 0.0;
    double m_totalTime = 0.0;
    int32_t m_lastPixel = 0;
    TimelineView* m_timeline = nullptr;
    ZoomAreaView* m_zoomarea = nullptr;
    QHash<int32_t, MarkerView*> m_markerViews;
    QPointer<QLabel> m_label_marker_area;
    QPointer<QLabel> m_label_rec_ready;
    QPointer<QWidget> m_bg_timecode;
    QPointer<QWidget> m_bg_rec_ready;
    QPointer<WaveImageManager> m_image_mng;
    QPointer<PageSelectorMatrix> m_page_selector;
    QPointer<MarkerManager> m_markers;
    const ClickMarks* m_clickMarks = nullptr;
    std::vector<double> m_suggested;
    QScrollArea* m_connectedScroll = nullptr;
};
