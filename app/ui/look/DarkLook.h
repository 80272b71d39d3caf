// The program's one dark look: a palette of named colours and the style sheets built
// from it for the main window, its menu bar and the program's dialogs (write to files,
// settings, alerts, progress, about, update). Dialogs opened as children of those (a
// chooser, a progress panel) take it over too.
#pragma once

#include <QString>

class QWidget;

namespace look {
inline constexpr const char* kBackground = "#1E2124"; // window and dialog background
inline constexpr const char* kWell = "#101418";       // fields, lists, the waveform's frame
inline constexpr const char* kPanel = "#24282C";      // a tab's page
inline constexpr const char* kControl = "#33383D";    // buttons, combo boxes, borders of panes
inline constexpr const char* kControlHover = "#3B4147";
inline constexpr const char* kControlDisabled = "#2A2E32";
inline constexpr const char* kEdge = "#4A5057";       // borders of controls
inline constexpr const char* kText = "#E5E5E5";
inline constexpr const char* kTextDim = "#B3B3B3";
inline constexpr const char* kTextDisabled = "#6B7178";
inline constexpr const char* kFocus = "#5B8FC7";
inline constexpr const char* kSelection = "#3D6FA3";
inline constexpr const char* kAccent = "#E6AD57";     // checked boxes, progress, the page shown
} // namespace look

// The window's own controls; set on its central widget.
QString WindowStyleSheet();
// The menu bar, continuing the window's dark top.
QString MenuBarStyleSheet();
// Every dialog of the program.
QString DialogStyleSheet();

// Gives a dialog the dark look.
void ApplyDialogLook(QWidget* dialog);
