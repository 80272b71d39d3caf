// The state tables: flags per status, buttons per status and zoom, menu enabling,
// gain choices and the automatic-gain menu title.
#include "control/ControlTables.h"
#include "state/ModeStatus.h"

#include <gtest/gtest.h>

namespace {

ModeFlags F(bool e, bool r, bool p, bool w) { return ModeFlags{e, r, p, w}; }

} // namespace

TEST(ModeFlagsTable, EveryStatusAndAnUnknownOne)
{
    EXPECT_EQ(FlagsForStatus(0), F(false, false, false, false));
    EXPECT_EQ(FlagsForStatus(1), F(false, false, false, true));
    EXPECT_EQ(FlagsForStatus(2), F(false, false, false, true));
    EXPECT_EQ(FlagsForStatus(3), F(false, true, false, false));
    EXPECT_EQ(FlagsForStatus(4), F(false, false, true, false));
    EXPECT_EQ(FlagsForStatus(5), F(false, true, false, true));
    EXPECT_EQ(FlagsForStatus(6), F(true, false, true, false));
    EXPECT_EQ(FlagsForStatus(7), F(true, true, false, false));
    EXPECT_EQ(FlagsForStatus(8), F(false, false, false, false));
    EXPECT_EQ(FlagsForStatus(0xFFFFFFFFu), F(false, false, false, false));
}

// Expected (hidden, enabled) of the record and edit buttons, by status.
struct ButtonRow {
    uint32_t status;
    bool recHidden, recStart, recPause, recStop;
    bool playHidden, playEnabled, pauseHidden, pauseEnabled, saveHidden, saveEnabled, markersHidden;
};

TEST(ButtonTable, EveryStatus)
{
    const ButtonRow rows[] = {
        // st  recH   start  pause  stop   playH  play   pauseH pauseE saveH  save   markersH
        {0, false, true, false, false, true, true, true, false, true, true, true},
        {1, false, false, false, false, true, true, true, false, true, true, true},
        {2, false, false, false, false, true, true, true, false, true, true, true},
        {3, false, false, true, true, true, false, true, true, true, false, true},
        {4, false, true, false, true, true, true, true, false, true, true, true},
        {5, false, false, false, false, true, false, true, true, true, false, true},
        {6, true, true, false, true, false, true, true, false, false, true, false},
        {7, true, false, true, true, true, false, false, true, false, false, false},
    };
    for (const ButtonRow& row : rows) {
        SCOPED_TRACE(row.status);
        const ModeFlags f = FlagsForStatus(row.status);
        auto st = [&](ButtonId id) { return ButtonStateFor(id, f, false); };
        EXPECT_EQ(st(ButtonId::RecStart).hidden, row.recHidden);
        EXPECT_EQ(st(ButtonId::RecPause).hidden, row.recHidden);
        EXPECT_EQ(st(ButtonId::RecStop).hidden, row.recHidden);
        EXPECT_EQ(*st(ButtonId::RecStart).enabled, row.recStart);
        EXPECT_EQ(*st(ButtonId::RecPause).enabled, row.recPause);
        EXPECT_EQ(*st(ButtonId::RecStop).enabled, row.recStop);
        EXPECT_EQ(st(ButtonId::EditPlay).hidden, row.playHidden);
        EXPECT_EQ(*st(ButtonId::EditPlay).enabled, row.playEnabled);
        EXPECT_EQ(st(ButtonId::EditPause).hidden, row.pauseHidden);
        EXPECT_EQ(*st(ButtonId::EditPause).enabled, row.pauseEnabled);
        EXPECT_EQ(st(ButtonId::FileSave).hidden, row.saveHidden);
        EXPECT_EQ(*st(ButtonId::FileSave).enabled, row.saveEnabled);
        for (ButtonId id : {ButtonId::MarkerNext, ButtonId::MarkerPrev, ButtonId::MarkerAdd,
                            ButtonId::MarkerMoveBackward, ButtonId::MarkerMoveForward}) {
            EXPECT_EQ(st(id).hidden, row.markersHidden);
            EXPECT_FALSE(st(id).enabled.has_value()); // left to the marker update
        }
        // Zoom buttons: only in edit mode, showing the one that changes the zoom.
        const bool edit = row.status >= 6;
        EXPECT_EQ(ButtonStateFor(ButtonId::ViewZoomIn, f, false).hidden, !edit);
        EXPECT_TRUE(ButtonStateFor(ButtonId::ViewZoomIn, f, true).hidden);
        EXPECT_TRUE(ButtonStateFor(ButtonId::ViewZoomOut, f, false).hidden);
        EXPECT_EQ(ButtonStateFor(ButtonId::ViewZoomOut, f, true).hidden, !edit);
    }
}

// Fixed menu items by status: About, Preferences, Exit, New, Save, Rec, Pause, Complete, Help, Update.
TEST(MenuTable, FixedItemsInEveryStatus)
{
    const MenuItemId items[] = {MenuItemId::About,    MenuItemId::Preferences, MenuItemId::Exit,
                                MenuItemId::FileNew,  MenuItemId::FileSave,    MenuItemId::RecStart,
                                MenuItemId::RecPause, MenuItemId::RecComplete, MenuItemId::HelpHelp,
                                MenuItemId::HelpUpdate};
    const bool expected[8][10] = {
        {1, 1, 1, 0, 0, 1, 0, 0, 1, 1}, // 0 ready
        {1, 0, 1, 0, 0, 0, 0, 0, 1, 0}, // 1 pre-recording
        {1, 0, 1, 0, 0, 0, 0, 0, 1, 0}, // 2 start requested
        {0, 0, 1, 0, 0, 0, 1, 1, 1, 0}, // 3 recording
        {1, 0, 1, 1, 0, 1, 0, 1, 1, 1}, // 4 paused
        {0, 0, 1, 0, 0, 0, 0, 0, 1, 0}, // 5 stopping
        {1, 0, 1, 1, 1, 0, 0, 0, 1, 1}, // 6 edit stopped
        {0, 0, 1, 0, 0, 0, 0, 0, 1, 0}, // 7 edit playing
    };
    for (uint32_t status = 0; status < 8; ++status) {
        MenuContext c;
        c.flags = FlagsForStatus(status);
        for (size_t i = 0; i < std::size(items); ++i) {
            SCOPED_TRACE(testing::Message() << "status " << status << " item " << i);
            EXPECT_EQ(IsMenuItemEnabled(items[i], c), expected[status][i]);
        }
    }
}

TEST(MenuTable, WithoutKeyWindowEverythingIsDisabled)
{
    MenuContext c;
    c.mainWindowIsKey = false;
    c.flags = FlagsForStatus(6);
    for (int i = 0; i <= static_cast<int>(MenuItemId::Other); ++i)
        EXPECT_FALSE(IsMenuItemEnabled(static_cast<MenuItemId>(i), c)) << i;
}

TEST(MenuTable, EditAndViewItemsFollowModeMarkersAndPages)
{
    MenuContext c;
    for (uint32_t status = 0; status < 6; ++status) {
        c.flags = FlagsForStatus(status);
        for (MenuItemId id : {MenuItemId::EditPlay, MenuItemId::EditMarkerNext, MenuItemId::Gain,
                              MenuItemId::ViewZoomIn, MenuItemId::Other})
            EXPECT_FALSE(IsMenuItemEnabled(id, c)) << status;
    }

    c.flags = FlagsForStatus(6);
    c.hasMarkerManager = true;
    c.markerCount = 2;
    EXPECT_TRUE(IsMenuItemEnabled(MenuItemId::EditPlay, c));
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::EditPause, c));
    EXPECT_TRUE(IsMenuItemEnabled(MenuItemId::GainChoice, c));
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::EditMarkerRemove, c)); // start or end marker selected
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::EditMarkerClear, c));  // only start and end
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::EditMarkerAdd, c));
    c.selectedMarkerMovable = true;
    c.markerCount = 3;
    c.canAddMarkerAtCurrentTime = true;
    EXPECT_TRUE(IsMenuItemEnabled(MenuItemId::EditMarkerRemove, c));
    EXPECT_TRUE(IsMenuItemEnabled(MenuItemId::EditMarkerClear, c));
    EXPECT_TRUE(IsMenuItemEnabled(MenuItemId::EditMarkerAdd, c));
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::Other, c));

    // Pages: not zoomed and not running, and not already at that end.
    EXPECT_TRUE(IsMenuItemEnabled(MenuItemId::ViewZoomIn, c));
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::ViewZoomOut, c));
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::ViewNextPage, c));
    c.onLastPage = false;
    EXPECT_TRUE(IsMenuItemEnabled(MenuItemId::ViewNextPage, c));
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::ViewPrevPage, c));
    c.zoom = true;
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::ViewNextPage, c));
    EXPECT_TRUE(IsMenuItemEnabled(MenuItemId::ViewZoomOut, c));

    // Playing: only pause and the marker walk among the edit items.
    c.flags = FlagsForStatus(7);
    c.zoom = false;
    EXPECT_TRUE(IsMenuItemEnabled(MenuItemId::EditPause, c));
    EXPECT_TRUE(IsMenuItemEnabled(MenuItemId::EditMarkerPrev, c));
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::EditPlay, c));
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::EditMarkerAdd, c));
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::Gain, c));
    EXPECT_FALSE(IsMenuItemEnabled(MenuItemId::ViewNextPage, c));
}

TEST(GainChoices, TagsMapToGains)
{
    EXPECT_EQ(GainChoiceForTag(0, 3.3)->dB, 0.0);
    EXPECT_FALSE(GainChoiceForTag(0, 3.3)->isAuto);
    EXPECT_EQ(GainChoiceForTag(1, 3.3)->dB, 3.3);
    EXPECT_TRUE(GainChoiceForTag(1, 3.3)->isAuto);
    EXPECT_EQ(GainChoiceForTag(2, 3.3)->dB, 1.0);
    EXPECT_EQ(GainChoiceForTag(7, 3.3)->dB, 6.0);
    EXPECT_FALSE(GainChoiceForTag(8, 3.3).has_value());
    EXPECT_FALSE(GainChoiceForTag(-1, 3.3).has_value());
}

TEST(AutoGainMenuTitle, PlusSignOnlyFromOneDecibel)
{
    EXPECT_EQ(AutoGainMenuTitle(2.34), QStringLiteral("Auto +2.3 dB"));
    EXPECT_EQ(AutoGainMenuTitle(0.4), QStringLiteral("Auto 0.4 dB"));
    EXPECT_EQ(AutoGainMenuTitle(0.99), QStringLiteral("Auto 1.0 dB"));
    EXPECT_EQ(AutoGainMenuTitle(1.0), QStringLiteral("Auto +1.0 dB"));
    EXPECT_EQ(AutoGainMenuTitle(0.0), QStringLiteral("Auto 0.0 dB"));
}
