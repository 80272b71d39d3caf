// The control manager's state tables as plain functions of the flags.
#include "control/ControlTables.h"

#include <QCoreApplication>

ButtonState ButtonStateFor(ButtonId button, const ModeFlags& f, bool z)
{
    const bool e = f.edit, r = f.run, p = f.pause, w = f.wait;
    switch (button) {
    case ButtonId::RecStart: return {e, !w && !r};
    case ButtonId::RecPause: return {e, r && !w};
    case ButtonId::RecStop: return {e, (p || r) && !w};
    case ButtonId::EditPlay: return {!e || r, !r};
    case ButtonId::EditPause: return {!e || !r, r};
    case ButtonId::MarkerNext:
    case ButtonId::MarkerPrev:
    case ButtonId::MarkerAdd:
    case ButtonId::MarkerMoveBackward:
    case ButtonId::MarkerMoveForward: return {!e, std::nullopt};
    case ButtonId::ViewZoomIn: return {z || !e, std::nullopt};
    case ButtonId::ViewZoomOut: return {!z || !e, std::nullopt};
    case ButtonId::FileSave: return {!e, !r};
    }
    return {};
}

namespace {

bool IsEditItemEnabled(MenuItemId item, const MenuContext& c)
{
    if (item == MenuItemId::EditMarkerNext || item == MenuItemId::EditMarkerPrev)
        return true;
    if (c.flags.run)
        return item == MenuItemId::EditPause;
    switch (item) {
    case MenuItemId::EditPlay:
    case MenuItemId::Gain:
    case MenuItemId::GainChoice: return true;
    case MenuItemId::EditMarkerRemove: return c.hasMarkerManager && c.selectedMarkerMovable;
    case MenuItemId::EditMarkerAdd: return c.canAddMarkerAtCurrentTime;
    case MenuItemId::EditMarkerClear: return c.hasMarkerManager && c.markerCount > 2;
    case MenuItemId::EditFindTrackGaps: return c.hasMarkerManager;
    case MenuItemId::EditRepairClicks: return c.hasMarkerManager && !c.recordingIsDsd;
    case MenuItemId::EditUndo: return c.hasMarkerManager && c.undoStep != UndoStep::None;
    default: return false;
    }
}

bool IsViewItemEnabled(MenuItemId item, const MenuContext& c)
{
    switch (item) {
    case MenuItemId::ViewZoomIn: return !c.zoom;
    case MenuItemId::ViewZoomOut: return c.zoom;
    case MenuItemId::ViewNextPage: return !c.zoom && !c.flags.run && !c.onLastPage;
    case MenuItemId::ViewPrevPage: return !c.zoom && !c.flags.run && !c.onFirstPage;
    default: return false;
    }
}

} // namespace

bool IsMenuItemEnabled(MenuItemId item, const MenuContext& c)
{
    if (!c.mainWindowIsKey)
        return false;
    const bool e = c.flags.edit, r = c.flags.run, p = c.flags.pause, w = c.flags.wait;
    switch (item) {
    case MenuItemId::About: return !r;
    case MenuItemId::Preferences: return !e && !r && !p && !w;
    case MenuItemId::Exit: return true;
    case MenuItemId::FileNew: return p;
    case MenuItemId::FileSave: return e && !r;
    case MenuItemId::RecStart: return !e && !r && !w;
    case MenuItemId::RecPause: return !e && r && !w;
    case MenuItemId::RecComplete: return !e && (r || p) && !w;
    case MenuItemId::HelpHelp: return true;
    case MenuItemId::HelpUpdate: return !r && !w;
    default: break;
    }
    if (!e)
        return false;
    return IsEditItemEnabled(item, c) || IsViewItemEnabled(item, c);
}

const char* UndoMenuTitle(UndoStep step)
{
    return step == UndoStep::ClickRepair ? QT_TRANSLATE_NOOP("MainMenu", "Undo Repair Clicks")
                                         : QT_TRANSLATE_NOOP("MainMenu", "Undo Find Track Gaps");
}

QString MenuItemHint(MenuItemId item, const MenuContext& c)
{
    if (item == MenuItemId::EditRepairClicks && c.recordingIsDsd)
        return QCoreApplication::translate("ControlManager", "Click repair works on PCM recordings.");
    return QString();
}

std::optional<GainChoice> GainChoiceForTag(int tag, double autoGain)
{
    if (tag == 0)
        return GainChoice{0.0, false};
    if (tag == 1)
        return GainChoice{autoGain, true};
    if (tag >= 2 && tag <= 7)
        return GainChoice{static_cast<double>(tag - 1), false};
    return std::nullopt;
}

QString AutoGainMenuTitle(double autoGain)
{
    const QString sign = autoGain >= 1.0 ? QStringLiteral("+") : QString();
    return QString::asprintf("%s %s%0.1f %s",
                             qUtf8Printable(QCoreApplication::translate("ControlManager", "Auto")),
                             qUtf8Printable(sign), autoGain,
                             qUtf8Printable(QCoreApplication::translate("ControlManager", "dB")));
}
