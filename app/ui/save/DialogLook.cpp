// Style sheet of the program's own dialogs.
#include "save/DialogLook.h"

#include <QWidget>

namespace {

const char* const kDialogStyle = R"(
QDialog { background: #1E2124; color: #E5E5E5; }
QLabel { color: #E5E5E5; }
QLabel:disabled { color: #6B7178; }
QLabel#heading { color: #9AA1A8; font-weight: bold; }
QWidget#alert_accessory { color: #B3B3B3; }
QLineEdit { color: #E5E5E5; background: #101418; border: 1px solid #4A5057; border-radius: 3px; padding: 3px 5px;
            selection-background-color: #3D6FA3; }
QLineEdit:focus { border: 1px solid #5B8FC7; }
QLineEdit:disabled { color: #6B7178; background: #22262A; border: 1px solid #33383D; }
QCheckBox { color: #E5E5E5; spacing: 4px; }
QCheckBox::indicator { width: 12px; height: 12px; border: 1px solid #6B7178; border-radius: 2px; background: #101418; }
QCheckBox::indicator:focus { border: 1px solid #5B8FC7; }
QCheckBox::indicator:checked { background: #E6AD57; border: 1px solid #E6AD57; }
QCheckBox::indicator:indeterminate { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #101418, stop:0.35 #101418,
                                     stop:0.36 #E6AD57, stop:0.64 #E6AD57, stop:0.65 #101418, stop:1 #101418);
                                     border: 1px solid #E6AD57; }
QPushButton { color: #E5E5E5; background: #33383D; border: 1px solid #4A5057; border-radius: 4px; padding: 5px 14px; }
QPushButton:hover { background: #3B4147; }
QPushButton:focus { border: 1px solid #5B8FC7; }
QPushButton:disabled { color: #6B7178; background: #2A2E32; }
QPushButton::menu-indicator { subcontrol-position: right center; right: 6px; }
QScrollArea { border: 1px solid #33383D; background: #101418; }
QWidget#rows { background: #101418; }
QWidget#row { background: transparent; }
QWidget#row[odd="true"] { background: #161A1E; }
QProgressBar { background: #101418; border: 1px solid #4A5057; border-radius: 3px; height: 10px; }
QProgressBar::chunk { background: #E6AD57; }
QMenu { color: #E5E5E5; background: #2A2E32; border: 1px solid #4A5057; }
QMenu::item:selected { background: #3D6FA3; }
QScrollBar:vertical { background: #1E2124; width: 12px; }
QScrollBar::handle:vertical { background: #4A5057; border-radius: 5px; min-height: 24px; margin: 1px; }
QScrollBar::add-line, QScrollBar::sub-line { height: 0; }
QPlainTextEdit { color: #E5E5E5; background: #101418; border: 1px solid #4A5057; border-radius: 3px; }
QSpinBox { color: #E5E5E5; background: #101418; border: 1px solid #4A5057; border-radius: 3px; padding: 3px 5px; }
QToolButton { color: #E5E5E5; background: #33383D; border: 1px solid #4A5057; }
)";

} // namespace

void ApplyDialogLook(QWidget* dialog)
{
    dialog->setStyleSheet(QString::fromUtf8(kDialogStyle));
}
