// The main window's controls, each under the name the control logic uses for it.
// The window creates and owns them; its MainView implementation switches them.
#pragma once

class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class QScrollArea;
class QWidget;
class CustomMenu;
class Indicator_Gain;
class Indicator_LevelMeter;
class Indicator_Marker;
class Indicator_Mode;
class Indicator_Mode_Icon;
class Indicator_Setting;
class Indicator_Time;
class PageSelectMatrix;
class WaveView;

struct MainWindowControls {
    QWidget* window = nullptr;

    QAbstractButton* button_rec_start = nullptr;
    QAbstractButton* button_rec_pause = nullptr;
    QAbstractButton* button_rec_stop = nullptr;
    QAbstractButton* button_edit_play = nullptr;
    QAbstractButton* button_edit_pause = nullptr;
    QAbstractButton* button_marker_next = nullptr;
    QAbstractButton* button_marker_prev = nullptr;
    QAbstractButton* button_marker_add = nullptr;
    QAbstractButton* button_marker_move_backward = nullptr;
    QAbstractButton* button_marker_move_forward = nullptr;
    QAbstractButton* button_view_zoom_in = nullptr;
    QAbstractButton* button_view_zoom_out = nullptr;
    QAbstractButton* button_file_save = nullptr;
    QAbstractButton* button_file_save_cancel = nullptr;
    QAbstractButton* button_gain = nullptr;
    QLabel* label_file_save_cancel = nullptr;

    CustomMenu* gain_menu_panel = nullptr;

    QAction* menu_about = nullptr;
    QAction* menu_preferences = nullptr;
    QAction* menu_exit = nullptr;
    QAction* menu_file_new = nullptr;
    QAction* menu_file_save = nullptr;
    QAction* menu_rec_start = nullptr;
    QAction* menu_rec_pause = nullptr;
    QAction* menu_rec_complete = nullptr;
    QAction* menu_edit_play = nullptr;
    QAction* menu_edit_pause = nullptr;
    QAction* menu_edit_marker_add = nullptr;
    QAction* menu_edit_marker_next = nullptr;
    QAction* menu_edit_marker_prev = nullptr;
    QAction* menu_edit_marker_remove = nullptr;
    QAction* menu_edit_marker_clear = nullptr;
    QAction* menu_edit_find_track_gaps = nullptr;
    QAction* menu_edit_repair_clicks = nullptr;
    QAction* menu_edit_undo = nullptr;
    QAction* menu_view_zoom_in = nullptr;
    QAction* menu_view_zoom_out = nullptr;
    QAction* menu_view_next_page = nullptr;
    QAction* menu_view_prev_page = nullptr;
    QAction* menu_help_help = nullptr;
    QAction* menu_help_update = nullptr;
    QAction* menu_gain = nullptr; // its menu() holds the gain choices, tagged by data()

    // Holder of the time indicator; its margins carry the two layout constraints.
    QWidget* indicatorTimeBox = nullptr;

    Indicator_Time* indicatorTime = nullptr;
    Indicator_Mode* indicatorMode = nullptr;
    Indicator_Mode_Icon* indicatorModeIcon = nullptr;
    Indicator_Setting* indicatorSetting = nullptr;
    Indicator_LevelMeter* indicatorLevelMeter = nullptr;
    Indicator_Gain* indicatorGain = nullptr;
    Indicator_Marker* indicatorMarker = nullptr;
    QLabel* clickCountLabel = nullptr; // beside the marker indicator: the repaired places
    QLabel* gainLabel = nullptr;
    QScrollArea* waveScrollView = nullptr;
    WaveView* waveView = nullptr;
    PageSelectMatrix* pageSelectMatrix = nullptr;
};
