// The user's commands, one enum for the menus, the buttons and the keys, and the one
// sink they are sent to. The window binds its menu items, buttons and shortcuts to
// commands; the control manager carries them out.
#pragma once

#include "state/ControlTypes.h"

enum class Command {
    Exit, FileNew, FileSave, OpenSetting,
    RecStart, RecPause, RecStop,
    Play, Pause, TogglePlayback,
    MarkerNext, MarkerPrev, MarkerAdd, MarkerMoveBackward, MarkerMoveForward, MarkerRemove, MarkerRemoveAll,
    FindTrackGaps, RepairClicks, Undo,
    ZoomIn, ZoomOut, NextPage, PreviousPage,
    GainButton, ShowHelp, CheckForUpdate, ShowAbout,
};

class CommandSink {
public:
    virtual ~CommandSink() = default;
    virtual void execute(Command command, CommandSender sender = CommandSender::User) = 0;
    // A gain choice of the submenu (its tag) or of the gain panel (its row).
    virtual void selectGainFromMenu(int tag) = 0;
    // Brings the enabled state of every command up to date; the window calls it when an
    // input of the rules that only it sees changes (the key window, the page shown).
    virtual void refreshCommands() = 0;
};

// What the window asks before it closes, and tells when it does.
class WindowCloseHandler {
public:
    virtual ~WindowCloseHandler() = default;
    virtual bool windowShouldClose() = 0;
    virtual void windowWillClose() = 0;
};
