// What the control logic switches in the main window, as a toolkit-free interface.
// The control manager, the recording manager and the application delegate reach the
// window only through it; the Qt main window implements it and tests use a fake that
// records every call.
#pragma once

#include "control/ControlTables.h"

#include <QString>
#include <cstdint>
#include <vector>

class ClickMarks;
class PreviewController;
class MarkerManager;
class WaveImageManager;

// Controls whose visibility, enabling or title the control logic sets.
enum class ViewItem {
    // Buttons of the record and edit rows.
    RecStart, RecPause, RecStop, EditPlay, EditPause,
    MarkerNext, MarkerPrev, MarkerAdd, MarkerMoveBackward, MarkerMoveForward,
    ViewZoomIn, ViewZoomOut, FileSave, FileSaveCancel, Gain,
    // Labels and indicators.
    FileSaveCancelLabel, GainLabel, GainIndicator, MarkerIndicator, SettingIndicator,
    // The page selector under the whole-recording waveform.
    PageSelector,
};

// The button of the state table as a view item.
ViewItem ViewItemForButton(ButtonId button);

// Page selector of the whole-recording waveform: pages are numbered firstPage..lastPage.
struct PageState {
    int pageCount = 0;
    int showingPage = 0;
    int firstPage = 0;
    int lastPage = 0;
};

class MainView {
public:
    virtual ~MainView() = default;

    // ---- controls ----
    virtual void setHidden(ViewItem item, bool hidden) = 0;
    virtual void setEnabled(ViewItem item, bool enabled) = 0;
    // Title of a button or text of a label; pointSize 0 keeps the font.
    virtual void setTitle(ViewItem item, const QString& title, int pointSize = 0) = 0;

    // ---- menus ----
    // Whether the main window is the key (active) window; without it every item is disabled.
    virtual bool isMainWindowKey() const = 0;
    // MenuItemId::GainChoice sets every item of the gain submenu.
    virtual void setMenuItemEnabled(MenuItemId item, bool enabled) = 0;
    // Title of a menu item from its source text (translated, and again by localizeMenus).
    virtual void setMenuItemTitle(MenuItemId item, const char* sourceText) = 0;
    // The tooltip of a menu item that says why it is disabled; empty: none.
    virtual void setMenuItemHint(MenuItemId item, const QString& hint) = 0;
    // The click repair's places under the waveform and their count beside the marker
    // indicator (null or empty: none).
    virtual void showClickMarks(const ClickMarks* marks) = 0;
    // Markers suggested but not yet accepted, drawn in their own colour (seconds).
    virtual void showSuggestedMarkers(const std::vector<double>& seconds) = 0;
    // Title of the gain submenu's "Auto" item (also the gain panel's row).
    virtual void setAutoGainTitle(const QString& title) = 0;
    // Retranslates every menu title from its source text.
    virtual void localizeMenus() = 0;

    // ---- indicators ----
    virtual void setModeText(const QString& text) = 0;
    // Image of the mode icon by name ("icon_rec", "icon_recpause", "icon_play", "icon_pause"); empty: none.
    virtual void setModeIcon(const QString& name) = 0;
    // The time indicator's two layout constraints and whether it hides its total time.
    virtual void setTimeIndicatorLayout(int leading, int top, bool hideTotalTime) = 0;
    // The setting indicator's recording format: "PCM" or "DSD", rate in Hz, bits per sample.
    virtual void setRecordFormat(const QString& format, uint64_t sampleRate, uint16_t bits) = 0;
    // Level meter: hold time in seconds (-1 holds nothing), display amplification,
    // the playback it reads its levels from, and an immediate clear.
    virtual void setLevelMeterHoldTime(int32_t seconds) = 0;
    virtual void setLevelMeterAmp(float amp) = 0;
    virtual void setLevelMeterPlayController(PreviewController* controller) = 0;
    virtual void clearLevelMeter() = 0;

    // ---- waveform ----
    virtual bool isZoom() const = 0;
    virtual void setIsZoom(bool zoom) = 0;
    virtual void redrawWave() = 0;
    // A new recording: the waveform view draws from images and is cleared, the page
    // selector is hidden and the scroll view neither scrolls nor shows its scroller.
    virtual void resetWave(WaveImageManager* images) = 0;
    // Scrolling and the horizontal scroller of the waveform scroll view.
    virtual void setWaveScrolling(bool enabled) = 0;
    virtual void scrollWaveToOrigin() = 0;
    virtual PageState pageState() const = 0;
    virtual void initPages(double totalTime) = 0;
    virtual void setShowingPage(int page) = 0;
    // The waveform view and the marker indicator show these markers (null: none).
    virtual void showMarkers(MarkerManager* markers) = 0;

    // ---- window ----
    // Opens the gain panel under the gain button with the given "Auto" row title.
    virtual void openGainPanel(const QString& autoTitle) = 0;
    virtual void showWindow() = 0;
    // Closes the window without asking (quitting was confirmed).
    virtual void closeWindow() = 0;
    virtual bool isWindowVisible() const = 0;
};
