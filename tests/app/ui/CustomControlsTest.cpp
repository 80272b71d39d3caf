// The custom controls: gain pop-up rows and keys, button hit shapes, the stacked list.
#include "controls/CustomButton.h"
#include "controls/CustomButtonShape.h"
#include "controls/CustomMenu.h"
#include "controls/GainMenuModel.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using Key = GainMenuModel::Key;
using Outcome = GainMenuModel::Outcome;

TEST(GainMenuModel, KeysMoveTheHighlightAndChoose)
{
    GainMenuModel m;
    EXPECT_EQ(m.keyPressed(Key::Up), Outcome::None);
    EXPECT_EQ(m.selectedIdx(), 7); // +6 dB
    EXPECT_EQ(m.keyPressed(Key::Down), Outcome::None);
    EXPECT_EQ(m.selectedIdx(), 0); // wraps
    m.keyPressed(Key::Up);
    m.keyPressed(Key::Up);
    EXPECT_EQ(m.selectedIdx(), 6);
    m.reset();
    m.keyPressed(Key::Down);
    EXPECT_EQ(m.selectedIdx(), 0);
    m.setSelectedIdx(3);
    m.keyPressed(Key::Home);
    EXPECT_EQ(m.selectedIdx(), 0);

    EXPECT_EQ(m.keyPressed(Key::End), Outcome::Choose);
    EXPECT_EQ(m.selectedIdx(), 7);
    ASSERT_TRUE(m.choice());
    EXPECT_EQ(m.choice()->dB, 6.0);
    EXPECT_FALSE(m.choice()->isAuto);
    EXPECT_EQ(m.keyPressed(Key::Escape), Outcome::Close);
    EXPECT_EQ(m.keyPressed(Key::Return), Outcome::Choose);
    EXPECT_EQ(m.keyPressed(Key::Enter), Outcome::Choose);

    m.setAutoGain(4.2);
    m.setSelectedIdx(1);
    EXPECT_EQ(m.choice()->dB, 4.2);
    EXPECT_TRUE(m.choice()->isAuto);
    m.setSelectedIdx(0);
    EXPECT_EQ(m.choice()->dB, 0.0);
    m.reset();
    EXPECT_FALSE(m.choice());
}

TEST(GainMenuModel, RowTextsAndGeometry)
{
    GainMenuModel m;
    m.setAutoGain(4.2);
    EXPECT_EQ(m.valueText(1), "+4.2 dB");
    m.setAutoGain(0.6);
    EXPECT_EQ(m.valueText(1), "0.6 dB");
    EXPECT_EQ(m.valueText(0), "0 dB");
    EXPECT_EQ(m.valueText(2), "+1 dB");
    EXPECT_EQ(m.valueText(7), "+6 dB");

    const double h = GainMenuModel::PreferredHeight();
    EXPECT_EQ(GainMenuModel::RowTop(0, h), 1.0);
    EXPECT_EQ(GainMenuModel::RowTop(7, h), 142.0);
    EXPECT_EQ(GainMenuModel::RowAt(10, 50, 100, h), 0);
    EXPECT_EQ(GainMenuModel::RowAt(41.5, 50, 100, h), -1); // the gap under the automatic row
    EXPECT_EQ(GainMenuModel::RowAt(150, 50, 100, h), 7);
    EXPECT_EQ(GainMenuModel::RowAt(150, 0.5, 100, h), -1); // on the border
    EXPECT_EQ(GainMenuModel::RowAt(0.5, 50, 100, h), -1);
}

TEST(CustomMenu, KeysOnTheOpenPopUp)
{
    CustomMenu menu;
    std::vector<int> chosen;
    menu.setChoiceHandler([&](int row) { chosen.push_back(row); });
    menu.setAutoGain(2.3);
    EXPECT_EQ(menu.width(), menu.preferredWidth());
    menu.show();

    QTest::keyClick(menu.view(), Qt::Key_Up);
    EXPECT_EQ(menu.view()->selectedIdx(), 7);
    QTest::keyClick(menu.view(), Qt::Key_Escape);
    EXPECT_TRUE(chosen.empty());
    EXPECT_FALSE(menu.isVisible());

    menu.reset();
    menu.show();
    QTest::keyClick(menu.view(), Qt::Key_End);
    EXPECT_EQ(chosen, std::vector<int>{7});
    EXPECT_FALSE(menu.isVisible());

    menu.reset();
    menu.show();
    QTest::keyClick(menu.view(), Qt::Key_Return); // nothing highlighted: nothing chosen
    EXPECT_EQ(chosen.size(), 1u);
    menu.show();
    QTest::keyClick(menu.view(), Qt::Key_Down);
    QTest::keyClick(menu.view(), Qt::Key_Down);
    QTest::keyClick(menu.view(), Qt::Key_Enter);
    EXPECT_EQ(chosen, (std::vector<int>{7, 1}));
}

TEST(CustomMenu, OpensUnderTheButtonInsideTheScreen)
{
    const QRect screen(0, 0, 1000, 800);
    const QSize panel(120, 163);
    EXPECT_EQ(CustomMenu::PanelOrigin(QRect(500, 100, 80, 24), panel, screen), QPoint(460, 124));
    EXPECT_EQ(CustomMenu::PanelOrigin(QRect(10, 100, 80, 24), panel, screen), QPoint(0, 124));
    EXPECT_EQ(CustomMenu::PanelOrigin(QRect(500, 700, 80, 24), panel, screen), QPoint(460, 537));
}

TEST(CustomButtonShape, FourShapes)
{
    const QRectF bounds(0, 0, 40, 20);
    const QRectF tracking(10, 0, 20, 20);
    EXPECT_TRUE(CustomButtonHit(CustomButtonType::Bounds, {2, 2}, bounds, tracking, {}));
    EXPECT_FALSE(CustomButtonHit(CustomButtonType::Bounds, {41, 2}, bounds, tracking, {}));
    EXPECT_FALSE(CustomButtonHit(CustomButtonType::TrackingRect, {2, 2}, bounds, tracking, {}));
    EXPECT_TRUE(CustomButtonHit(CustomButtonType::TrackingRect, {12, 2}, bounds, tracking, {}));
    EXPECT_TRUE(CustomButtonHit(CustomButtonType::TrackingEllipse, {20, 10}, bounds, tracking, {}));
    EXPECT_FALSE(CustomButtonHit(CustomButtonType::TrackingEllipse, {11, 1}, bounds, tracking, {})); // corner
    EXPECT_TRUE(CustomButtonHit(CustomButtonType::TrackingEllipse, {10, 10}, bounds, tracking, {}));  // on the edge

    QImage image(4, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(3, 1, qRgba(255, 0, 0, 255));
    EXPECT_TRUE(CustomButtonHit(CustomButtonType::ImagePixels, {35, 15}, bounds, tracking, image));
    EXPECT_FALSE(CustomButtonHit(CustomButtonType::ImagePixels, {5, 5}, bounds, tracking, image));
    EXPECT_FALSE(CustomButtonHit(CustomButtonType::ImagePixels, {5, 5}, bounds, tracking, QImage()));
}

TEST(CustomButton, EllipseOfZeroWidthIsNeverHitNorHovered)
{
    CustomButton button;
    button.resize(40, 40);
    button.setNormalImageName("icon_play");
    button.setHoverImageName("icon_pause");
    button.setCustomButtonType(CustomButtonType::TrackingEllipse);
    button.setTrackingRect(QRectF(20, 0, 0, 40));
    for (int y = 0; y < 40; y += 3)
        for (int x = 0; x < 40; x += 3)
            ASSERT_FALSE(button.hitButton(QPoint(x, y))) << x << "," << y;
    button.show();
    QTest::mouseMove(&button, QPoint(20, 20));
    EXPECT_FALSE(button.isEntered());
    EXPECT_EQ(button.currentImage().name(), "icon_play");
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(clicked.count(), 0);

    button.setTrackingRect(QRectF(0, 0, 40, 40));
    QTest::mouseMove(&button, QPoint(21, 20));
    EXPECT_TRUE(button.isEntered());
    EXPECT_EQ(button.currentImage().name(), "icon_pause");
    button.setDisableImageName("icon_rec");
    button.setEnabled(false);
    EXPECT_EQ(button.currentImage().name(), "icon_rec");
    EXPECT_EQ(button.sizeHint(), QSize(18, 18)); // the image's size
}

