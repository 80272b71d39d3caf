// The button row of the program's small dialogs: [Cancel] and the dialog's action, the
// default button (Return), at the right; Cancel rejects, the action accepts.
#pragma once

#include <QString>

class QDialog;
class QHBoxLayout;

QHBoxLayout* CancelAndActionButtons(QDialog* dialog, const QString& actionText, const QString& actionName);
