// The dark look of the program's own dialogs (write to files, alerts, about,
// update), matching the main window. Dialogs opened as their children (a
// chooser, a progress panel) take it over too.
#pragma once

class QWidget;

void ApplyDialogLook(QWidget* dialog);
