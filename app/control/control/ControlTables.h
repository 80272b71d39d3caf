// Which control is visible and enabled in which state: the buttons table, the
// menu-enabling table, the gain choices and the "Auto" gain menu title.
#pragma once

#include "document/Document.h"
#include "state/ModeStatus.h"

#include <QString>
#include <optional>

enum class ButtonId {
    RecStart, RecPause, RecStop, EditPlay, EditPause,
    MarkerNext, MarkerPrev, MarkerAdd, MarkerMoveBackward, MarkerMoveForward,
    ViewZoomIn, ViewZoomOut, FileSave,
};

struct ButtonState {
    bool hidden = false;
    std::optional<bool> enabled; // none: the table leaves the enabled state as it is
};

ButtonState ButtonStateFor(ButtonId button, const ModeFlags& f, bool zoom);

enum class MenuItemId {
    About, Preferences, Exit, FileNew, FileSave, RecStart, RecPause, RecComplete,
    EditPlay, EditPause, EditMarkerAdd, EditMarkerNext, EditMarkerPrev, EditMarkerRemove, EditMarkerClear,
    EditFindTrackGaps, EditRepairClicks, EditUndo,
    ViewZoomIn, ViewZoomOut, ViewNextPage, ViewPrevPage, HelpHelp, HelpUpdate,
    Gain, GainChoice, Other,
};

// Everything the menu validation looks at besides the item itself.
struct MenuContext {
    bool mainWindowIsKey = true;
    ModeFlags flags;
    bool zoom = false;
    bool hasMarkerManager = false;
    bool selectedMarkerMovable = false; // neither the start nor the end marker
    bool canAddMarkerAtCurrentTime = false;
    int markerCount = 0;
    UndoStep undoStep = UndoStep::None; // what Edit > Undo would take back
    bool recordingIsDsd = false;       // click repair works on PCM recordings only
    bool onFirstPage = true;
    bool onLastPage = true;
};

bool IsMenuItemEnabled(MenuItemId item, const MenuContext& c);
// The source text of the Undo item's title for the step it would take back.
const char* UndoMenuTitle(UndoStep step);
// Why a disabled item cannot be used, when the user can do something about it; empty: nothing to say.
QString MenuItemHint(MenuItemId item, const MenuContext& c);

// One choice of the gain submenu (by tag) or the gain panel (by row).
struct GainChoice {
    double dB = 0.0;
    bool isAuto = false;
};
// Tag 0: no gain; 1: automatic (autoGain); 2..7: +1..+6 dB. Other tags: none.
std::optional<GainChoice> GainChoiceForTag(int tag, double autoGain);

// "Auto +2.3 dB"; the plus sign only from 1.0 dB up.
QString AutoGainMenuTitle(double autoGain);
