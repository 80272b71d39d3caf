// Style sheets of the dark look, from the one palette.
#include "look/DarkLook.h"

#include <QWidget>

namespace {

// Replaces every @name in a style sheet by the palette colour of that name.
QString Resolve(QString sheet)
{
    const std::pair<const char*, const char*> colours[] = {
        {"@background", look::kBackground}, {"@well", look::kWell},
        {"@panel", look::kPanel},           {"@controlHover", look::kControlHover},
        {"@controlDisabled", look::kControlDisabled}, {"@control", look::kControl},
        {"@edge", look::kEdge},             {"@textDisabled", look::kTextDisabled},
        {"@textDim", look::kTextDim},       {"@text", look::kText},
        {"@focus", look::kFocus},           {"@selection", look::kSelection},
        {"@accent", look::kAccent},
    };
    // Longer names first where one is the start of another (controlHover before control).
    for (const auto& [name, colour] : colours)
        sheet.replace(QLatin1String(name), QLatin1String(colour));
    return sheet;
}

// Rules the window and the dialogs share.
const char* const kCommon = R"(
QLabel { color: @text; }
QLabel:disabled { color: @textDisabled; }
QPushButton { color: @text; background: @control; border: 1px solid @edge; border-radius: 4px; padding: 5px 14px; }
QPushButton:hover { background: @controlHover; }
QPushButton:disabled { color: @textDisabled; background: @controlDisabled; }
QScrollArea { border: 1px solid @control; background: @well; }
)";

const char* const kWindow = R"(
QWidget#centralWidget { background: @background; }
QToolButton { border: none; padding: 4px; }
QToolButton:disabled { background: transparent; }
QPushButton { padding: 6px 14px; }
QPushButton[flat="true"] { background: transparent; border: none; }
QPushButton[flat="true"]:checked { color: @background; background: @accent; border-radius: 4px; }
QPushButton[flat="true"]:hover:!checked { background: @control; }
)";

const char* const kMenuBar = R"(
QMenuBar { background: @background; color: @text; }
QMenuBar::item { background: transparent; padding: 4px 8px; }
QMenuBar::item:selected { background: @control; }
QMenuBar::item:disabled { color: @textDisabled; }
)";

const char* const kDialog = R"(
QDialog { background: @background; color: @text; }
QLabel#heading { color: #9AA1A8; font-weight: bold; }
QWidget#alert_accessory { color: @textDim; }
QLabel#cover { color: @textDim; background: @well; border: 1px solid @edge; border-radius: 3px; }
QLabel#cover:disabled { color: @textDisabled; border-color: @control; }
QLineEdit { color: @text; background: @well; border: 1px solid @edge; border-radius: 3px; padding: 3px 5px;
            selection-background-color: @selection; }
QLineEdit:focus { border: 1px solid @focus; }
QLineEdit:disabled { color: @textDisabled; background: #22262A; border: 1px solid @control; }
QCheckBox { color: @text; spacing: 4px; }
QCheckBox::indicator { width: 12px; height: 12px; border: 1px solid @textDisabled; border-radius: 2px; background: @well; }
QCheckBox::indicator:focus { border: 1px solid @focus; }
QCheckBox::indicator:checked { background: @accent; border: 1px solid @accent; }
QCheckBox::indicator:indeterminate { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 @well, stop:0.35 @well,
                                     stop:0.36 @accent, stop:0.64 @accent, stop:0.65 @well, stop:1 @well);
                                     border: 1px solid @accent; }
QRadioButton { color: @text; }
QRadioButton:disabled { color: @textDisabled; }
QRadioButton::indicator { width: 12px; height: 12px; border-radius: 7px; border: 1px solid #8C9299; background: @background; }
QRadioButton::indicator:checked { border-color: @text;
    background: qradialgradient(cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5, stop:0 @text,
                                stop:0.45 @text, stop:0.55 @background, stop:1 @background); }
QRadioButton::indicator:disabled { border-color: @edge; }
QTabWidget::pane { border: 1px solid @control; border-radius: 4px; top: -1px; background: @panel; }
QTabBar::tab { color: @textDim; background: @background; padding: 6px 14px; border: 1px solid @control;
               border-bottom: none; border-top-left-radius: 4px; border-top-right-radius: 4px; }
QTabBar::tab:selected { color: #FFFFFF; background: @panel; }
QComboBox { color: @text; background: @control; border: 1px solid @edge; border-radius: 4px; padding: 3px 8px; min-width: 110px; }
QComboBox:disabled { color: @textDisabled; background: @controlDisabled; border-color: @control; }
QComboBox QAbstractItemView { color: @text; background: @control; selection-background-color: #5C5C5C; }
QPushButton { min-width: 72px; }
QPushButton:default { border-color: #7FA7D9; }
QPushButton:pressed { background: @edge; }
QPushButton:focus { border: 1px solid @focus; }
QPushButton::menu-indicator { subcontrol-position: right center; right: 6px; }
QWidget#rows { background: @well; }
QWidget#row { background: transparent; }
QWidget#row[odd="true"] { background: #161A1E; }
QProgressBar { background: @well; border: 1px solid @edge; border-radius: 3px; height: 10px; }
QProgressBar::chunk { background: @accent; }
QMenu { color: @text; background: @controlDisabled; border: 1px solid @edge; }
QMenu::item:selected { background: @selection; }
QScrollBar:vertical { background: @background; width: 12px; }
QScrollBar::handle:vertical { background: @edge; border-radius: 5px; min-height: 24px; margin: 1px; }
QScrollBar::add-line, QScrollBar::sub-line { height: 0; }
QPlainTextEdit { color: @text; background: @well; border: 1px solid @edge; border-radius: 3px; }
QSpinBox { color: @text; background: @well; border: 1px solid @edge; border-radius: 3px; padding: 3px 5px; }
QToolButton { color: @text; background: @control; border: 1px solid @edge; }
)";

} // namespace

QString WindowStyleSheet()
{
    return Resolve(QString::fromUtf8(kCommon) + QString::fromUtf8(kWindow));
}

QString MenuBarStyleSheet()
{
    return Resolve(QString::fromUtf8(kMenuBar));
}

QString DialogStyleSheet()
{
    return Resolve(QString::fromUtf8(kCommon) + QString::fromUtf8(kDialog));
}

void ApplyDialogLook(QWidget* dialog)
{
    dialog->setStyleSheet(DialogStyleSheet());
}
