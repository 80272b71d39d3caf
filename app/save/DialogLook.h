// The dark look of the program's own dialogs (write to files, alerts, about,
// update), matching the main window. The folder and file choosers keep the
// desktop's look.
#pragma once

class QWidget;

void ApplyDialogLook(QWidget* dialog);
