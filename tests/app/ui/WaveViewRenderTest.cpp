// The waveform document without a display: geometry and pages, pixels of peaks, clip marks,
// shading and marker heads grabbed into an image, and marker editing with the mouse.
#include "FakeCartova.h"
#include "state/ModeStatus.h"
#include "state/ModeTimeManager.h"
#include "marker/MarkerManager.h"
#include "marker/MarkerView.h"
#include "wave/PageSelectorMatrix.h"
#include "wave/TimelineView.h"
#include "wave/WaveGeometry.h"
#include "wave/WaveImageManager.h"
#include "wave/WaveScrollView.h"
#include "wave/WaveView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace wavegeom;

TEST(WaveGeometry, EmptyDocumentWidthsAndScales)
{
    EXPECT_EQ(documentWidth(0.0, true), 60924);
    EXPECT_EQ(documentWidth(0.0, false), 3024);
    EXPECT_EQ(documentWidth(60.0, true), 1524);
    EXPECT_EQ(documentWidth(3000.0, false), 2 * 900 + 24);
    EXPECT_EQ(pxFromSecond(0.0, true), 472.0);
    EXPECT_EQ(pxFromSecond(12.34, true), 595.0);
    EXPECT_EQ(pxFromSecond(3.9, false), 21.0);
    EXPECT_EQ(pxFromSecond(4.0, false), 22.0);
    EXPECT_DOUBLE_EQ(secondFromPx(595.0, true), 12.3);
    EXPECT_EQ(secondFromPx(22.0, false), 4.0);
}

TEST(WaveGeometry, PagesOfThirtyMinutesOverlapByAFiftiethOfASecond)
{
    EXPECT_EQ(numPages(3000.0), 2);
    EXPECT_EQ(numPages(1800.05), 1);
    EXPECT_EQ(pageFromSecond(1799.9, 3000.0), 0);
    EXPECT_EQ(pageFromSecond(1800.0, 3000.0), 1);
    EXPECT_EQ(pageFromSecond(2999.0, 1000.0), 0); // never past the last page
    EXPECT_EQ(pageFromSecond(5.0, 0.0), 0);       // nor below the first
    EXPECT_TRUE(isShowSecondInPage(1800.0, 0));
    EXPECT_TRUE(isShowSecondInPage(1800.0, 1));
    EXPECT_FALSE(isShowSecondInPage(1800.06, 0));
    EXPECT_FALSE(isShowSecondInPage(1799.94, 1));
}

TEST(PageSelector, PagesTitlesAndShowingPage)
{
    PageSelectorMatrix pages;
    pages.initWithTotalTime(3000.0);
    EXPECT_EQ(pages.pageCount(), 2);
    EXPECT_EQ(pages.pageTitle(0), QStringLiteral("0 - 30"));
    EXPECT_EQ(pages.pageTitle(1), QStringLiteral("30 - 60"));
    EXPECT_EQ(pages.pageTitle(3), QStringLiteral("90 - 100"));
    EXPECT_EQ(pages.pageTitle(4), QString());
    EXPECT_FALSE(pages.isHidden());
    pages.setShowingPage(1);
    EXPECT_EQ(pages.showingPage(), 1);
    pages.setShowingPage(-1);
    pages.setShowingPage(2);
    EXPECT_EQ(pages.showingPage(), 1);
    pages.initWithTotalTime(600.0);
    EXPECT_EQ(pages.pageCount(), 1);
    EXPECT_TRUE(pages.isHidden());
    EXPECT_EQ(PageCountForTotalTime(6000.0), 4);
}

namespace {

std::vector<int16_t> Frames(size_t count, int16_t left, int16_t right)
{
    std::vector<int16_t> v(count * 2);
    for (size_t i = 0; i < count; ++i) {
        v[2 * i] = left;
        v[2 * i + 1] = right;
    }
    return v;
}

class WaveViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        mtm().setStatus(ModeStatusReady);
        mtm().setGain(0.0);
        mtm().setTotalTime(0.0);
        mtm().setCurrentTime(0.0);
        scroll.resize(924, 359);
        scroll.setWidget(view);
        view->setImage_mng(&images);
        view->reset();
    }
    void TearDown() override
    {
        view->setMarkerManager(nullptr);
        ResetFake();
        mtm().setStatus(ModeStatusReady);
        mtm().setTotalTime(0.0);
        mtm().setCurrentTime(0.0);
        mtm().setGain(0.0);
    }

    static ModeTimeManager& mtm() { return ModeTimeManager::sharedInstance(); }

    // Zoom columns from 0.1 s chunks swinging between +a and -a on both channels.
    void RecordColumns(const std::vector<int16_t>& amplitudes)
    {
        for (int16_t a : amplitudes) {
            FakePreview().append(Frames(2205, a, a));
            FakePreview().append(Frames(2205, static_cast<int16_t>(-a), static_cast<int16_t>(-a)));
        }
        images.startWaveGenerate();
        images.stopWaveGenerate();
        QElapsedTimer timer;
        timer.start();
        while (images.isGenerating() && timer.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
        ASSERT_FALSE(images.isGenerating());
    }

    QImage Grab(int width = 924) { return view->grab(QRect(0, 0, width, 359)).toImage(); }

    WaveImageManager images{44100};
    WaveScrollView scroll;
    WaveView* view = new WaveView; // owned by the scroll view
};

// Qt row of a bottom-up y in the document.
int Row(double yUp)
{
    return static_cast<int>(359.0 - yUp);
}

} // namespace

TEST_F(WaveViewTest, ASilentColumnIsOnePixelOnTheCentreLineAndFullScaleShowsTheClipMark)
{
    RecordColumns({0, 32767, 16384});
    ASSERT_EQ(images.zoomPeaks(0)->length(), 3u);
    const QImage img = Grab();
    const int empty = 480; // no peaks there
    // Column 472 (under the cursor, so seen at 10 s on a second grab): a zero peak is one
    // pixel on the lane's centre row (237.5 -> row 121).
    mtm().setCurrentTime(10.0);
    const QImage moved = Grab();
    EXPECT_NE(moved.pixel(472, Row(237.5)), moved.pixel(empty, Row(237.5)));
    EXPECT_EQ(moved.pixel(472, Row(237.5) - 1), moved.pixel(empty, Row(237.5) - 1));
    EXPECT_EQ(moved.pixel(472, Row(237.5) + 1), moved.pixel(empty, Row(237.5) + 1));
    // Column 473: full scale reaches 75.5 from the centre and gets the red mark above it.
    const QRgb peak = qRgb(0x8F, 0x94, 0x97);
    EXPECT_EQ(img.pixel(473, Row(237.5 + 70)), peak);
    EXPECT_EQ(img.pixel(473, Row(78.5 - 70)), peak);
    EXPECT_EQ(img.pixel(473, Row(237.5 + 77.5)), qRgb(0xFF, 0, 0));
    EXPECT_EQ(img.pixel(473, Row(78.5 + 77.5)), qRgb(0xFF, 0, 0));
    // Column 474: half scale, no clip mark.
    EXPECT_NE(img.pixel(474, Row(237.5 + 77.5)), qRgb(0xFF, 0, 0));
    EXPECT_EQ(img.pixel(474, Row(237.5 + 30)), peak);
    EXPECT_NE(img.pixel(474, Row(237.5 + 45)), peak);

    // A gain that lifts the half-scale column past full scale clips it too.
    mtm().setGain(7.0);
    EXPECT_EQ(Grab().pixel(474, Row(237.5 + 77.5)), qRgb(0xFF, 0, 0));
}

TEST_F(WaveViewTest, TheStretchesBeforeTheStartAndAfterTheEndAreShaded)
{
    mtm().setTotalTime(5.0); // end at x = 522
    mtm().setStatus(ModeStatusEditStopped);
    const QImage img = Grab();
    const QRgb before = img.pixel(100, 200);
    const QRgb inside = img.pixel(500, 200);
    EXPECT_NE(before, inside);
    EXPECT_EQ(img.pixel(530, 200), before);
    EXPECT_EQ(img.pixel(521, 200), inside);
    EXPECT_EQ(view->width(), 50 + 924);
}

TEST_F(WaveViewTest, AMarkerHeadSitsOnItsTimesPixel)
{
    MarkerManager markers;
    markers.ResetWithTotalTime(30.0);
    view->setMarkerManager(&markers);
    mtm().setTotalTime(30.0);
    mtm().setStatus(ModeStatusEditStopped);
    const int32_t id = markers.AddWithPosition(4.0); // x = 512
    MarkerView* marker = view->markerViewForId(id);
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->marker_caption(), QStringLiteral("1"));
    const QImage img = Grab();
    EXPECT_EQ(img.pixel(512, 200), qRgb(0xE6, 0xAD, 0x57)); // the unselected line
    EXPECT_NE(img.pixel(511, 200), qRgb(0xE6, 0xAD, 0x57));
    // The head fills the marker strip around x = 512.
    EXPECT_NE(img.pixel(512, Row(328)), img.pixel(540, Row(328)));

    markers.setSelectedMarker(id);
    EXPECT_TRUE(marker->selected());
    EXPECT_EQ(Grab().pixel(512, 200), qRgb(0xFF, 0xCC, 0x33));

    markers.MoveSelectedMarkerToPosition(6.0);
    EXPECT_EQ(marker->position_sec(), 6.0);
    EXPECT_EQ(Grab().pixel(532, 200), qRgb(0xFF, 0xCC, 0x33));

    markers.DeleteWithMarkerId(id);
    EXPECT_EQ(view->markerViewForId(id), nullptr);
}

TEST_F(WaveViewTest, ClicksInTheMarkerStripAndWaveAreaBecomeIntents)
{
    MarkerManager markers;
    markers.ResetWithTotalTime(30.0);
    view->setMarkerManager(&markers);
    mtm().setTotalTime(30.0);
    mtm().setStatus(ModeStatusEditStopped);
    mtm().setCurrentTime(0.0);
    // The view never edits: it asks. The test carries the intents out as the control manager would.
    QSignalSpy adds(view, &WaveView::markerAddRequested);
    QSignalSpy picks(view, &WaveView::markerSelectRequested);
    QSignalSpy deletes(view, &WaveView::markerDeleteRequested);
    QSignalSpy seeks(view, &WaveView::seekRequested);
    QObject::connect(view, &WaveView::markerAddRequested, [&](double t) { markers.setSelectedMarker(markers.AddWithPosition(t)); });
    QObject::connect(view, &WaveView::markerSelectRequested, [&](int32_t id) { markers.setSelectedMarker(id); });
    QObject::connect(view, &WaveView::markerDeleteRequested, [&](int32_t id) { markers.DeleteWithMarkerId(id); });
    scroll.show();
    QCoreApplication::processEvents();
    const int stripRow = Row(327);

    // Far from every marker: asks for one at 3.0 s; the marker manager is left untouched.
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(502, stripRow));
    ASSERT_EQ(adds.count(), 1);
    EXPECT_EQ(adds[0][0].toDouble(), 3.0);
    ASSERT_EQ(markers.EnumMarkerId(), (std::vector<int32_t>{0, 1, 61}));
    // Within 0.6 s of the start marker: asks to pick it.
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(476, stripRow));
    ASSERT_EQ(picks.count(), 1);
    EXPECT_EQ(picks[0][0].toInt(), 0);
    EXPECT_EQ(adds.count(), 1);
    // A double click on marker 1 picks it, then asks to delete it.
    QTest::mouseDClick(view, Qt::LeftButton, {}, QPoint(504, stripRow));
    ASSERT_EQ(deletes.count(), 1);
    EXPECT_EQ(deletes[0][0].toInt(), 1);
    EXPECT_EQ(markers.EnumMarkerId(), (std::vector<int32_t>{0, 61}));

    // In the wave area a click asks for the time under it; the double click then asks for playback.
    QSignalSpy play(view, &WaveView::requestPlay);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(622, Row(200)));
    ASSERT_EQ(seeks.count(), 1);
    EXPECT_DOUBLE_EQ(seeks[0][0].toDouble(), 15.0);
    EXPECT_DOUBLE_EQ(mtm().currentTime(), 0.0);
    QTest::mouseDClick(view, Qt::LeftButton, {}, QPoint(622, Row(200)));
    EXPECT_EQ(play.count(), 1);
}

TEST_F(WaveViewTest, ContextMenuOnlyOverTheMarkerStripWhileStopped)
{
    MarkerManager markers;
    markers.ResetWithTotalTime(30.0);
    view->setMarkerManager(&markers);
    mtm().setTotalTime(30.0);
    mtm().setCurrentTime(0.1);
    mtm().setStatus(ModeStatusEditPlaying);
    EXPECT_EQ(view->menuForPoint(QPointF(500, 327)), nullptr);
    mtm().setStatus(ModeStatusEditStopped);
    EXPECT_EQ(view->menuForPoint(QPointF(500, 200)), nullptr);
    QMenu* menu = view->menuForPoint(QPointF(500, 327));
    ASSERT_NE(menu, nullptr);
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_FALSE(actions[0]->isEnabled()); // 0.1 s is too close to the start marker
    EXPECT_FALSE(actions[1]->isEnabled()); // the start marker is selected
    EXPECT_FALSE(actions[2]->isEnabled()); // only start and end markers
    QSignalSpy removeAll(view, &WaveView::requestMarkerRemoveAll);
    delete menu;

    markers.AddWithPosition(10.0);
    mtm().setCurrentTime(20.0);
    menu = view->menuForPoint(QPointF(500, 327));
    EXPECT_TRUE(menu->actions()[0]->isEnabled());
    EXPECT_TRUE(menu->actions()[2]->isEnabled());
    menu->actions()[2]->trigger();
    EXPECT_EQ(removeAll.count(), 1);
    delete menu;
}

TEST_F(WaveViewTest, WideScaleShowsTheCursorsPageAndHidesOtherPagesMarkers)
{
    PageSelectorMatrix pages;
    pages.setWaveView(view);
    view->setPage_selector(&pages);
    MarkerManager markers;
    markers.ResetWithTotalTime(3000.0);
    view->setMarkerManager(&markers);
    mtm().setTotalTime(3000.0);
    pages.initWithTotalTime(3000.0);
    mtm().setStatus(ModeStatusEditStopped);
    const int32_t early = markers.AddWithPosition(100.0);
    const int32_t late = markers.AddWithPosition(2000.0);
    view->setIsZoom(false);
    EXPECT_EQ(view->width(), 2 * 900 + 24);
    mtm().setCurrentTime(1900.0);
    EXPECT_EQ(pages.showingPage(), 1);
    EXPECT_TRUE(view->markerViewForId(early)->isHidden());
    EXPECT_FALSE(view->markerViewForId(late)->isHidden());
    EXPECT_EQ(view->markerViewForId(late)->x() + 8, 20 + 1000);
    mtm().setCurrentTime(10.0);
    EXPECT_EQ(pages.showingPage(), 0);
    EXPECT_FALSE(view->markerViewForId(early)->isHidden());
    EXPECT_TRUE(view->markerViewForId(late)->isHidden());
}
