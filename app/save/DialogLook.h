// The dark look of the write-to-files dialogs, matching the main window.
#pragma once

class QWidget;

void ApplyDialogLook(QWidget* dialog);
