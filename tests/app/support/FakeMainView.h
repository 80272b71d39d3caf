// A main view without widgets: remembers everything the control logic set, so tests can
// check the window's state after each step.
#pragma once

#include "control/MainView.h"
#include "document/ClickMarks.h"

#include <map>

struct FakeMainView : MainView {
    // Last state set per control; a control never set reads as shown and enabled.
    std::map<ViewItem, bool> hidden;
    std::map<ViewItem, bool> enabled;
    std::map<ViewItem, QString> titles;
    std::map<MenuItemId, bool> menuEnabled;
    bool mainWindowIsKey = true;
    QString autoGainTitle;
    std::map<MenuItemId, QString> menuTitle; // source texts
    std::map<MenuItemId, QString> menuHint;
    int clickMarksShown = 0; // places shown under the waveform
    std::vector<double> suggestedMarkers;
    QString modeText;
    QString modeIcon;
    int timeLeading = 0;
    int timeTop = 0;
    bool hideTotalTime = false;
    QString recordFormat;
    uint64_t recordSampleRate = 0;
    uint16_t recordBits = 0;
    int32_t levelMeterHoldTime = 0;
    float levelMeterAmp = 0.0f;
    PreviewController* levelMeterPlayController = nullptr;
    int levelMeterClears = 0;
    bool zoom = false;
    int waveRedraws = 0;
    MarkerManager* markers = nullptr;
    WaveImageManager* waveImages = nullptr;
    int waveResets = 0;
    bool waveScrolling = false;
    PageState pages;
    double pagesTotalTime = -1.0;
    QString gainPanelTitle;
    int gainPanelOpens = 0;
    bool windowVisible = false;
    int windowCloses = 0;

    bool isHidden(ViewItem item) const;
    bool isEnabled(ViewItem item) const;
    bool isMenuEnabled(MenuItemId item) const;

    void setHidden(ViewItem item, bool value) override { hidden[item] = value; }
    void setEnabled(ViewItem item, bool value) override { enabled[item] = value; }
    void setTitle(ViewItem item, const QString& title, int) override { titles[item] = title; }
    bool isMainWindowKey() const override { return mainWindowIsKey; }
    void setMenuItemEnabled(MenuItemId item, bool value) override { menuEnabled[item] = value; }
    void setAutoGainTitle(const QString& title) override { autoGainTitle = title; }
    void setMenuItemTitle(MenuItemId item, const char* sourceText) override { menuTitle[item] = sourceText; }
    void setMenuItemHint(MenuItemId item, const QString& hint) override { menuHint[item] = hint; }
    void showSuggestedMarkers(const std::vector<double>& seconds) override { suggestedMarkers = seconds; }
    void showClickMarks(const ClickMarks* marks) override { clickMarksShown = marks ? int(marks->places().size()) : 0; }
    void localizeMenus() override {}
    void setModeText(const QString& text) override { modeText = text; }
    void setModeIcon(const QString& name) override { modeIcon = name; }
    void setTimeIndicatorLayout(int leading, int top, bool hide) override;
    void setRecordFormat(const QString& format, uint64_t rate, uint16_t bits) override;
    void setLevelMeterHoldTime(int32_t seconds) override { levelMeterHoldTime = seconds; }
    void setLevelMeterAmp(float amp) override { levelMeterAmp = amp; }
    void setLevelMeterPlayController(PreviewController* c) override { levelMeterPlayController = c; }
    void clearLevelMeter() override { ++levelMeterClears; }
    bool isZoom() const override { return zoom; }
    void setIsZoom(bool value) override { zoom = value; }
    void redrawWave() override { ++waveRedraws; }
    void resetWave(WaveImageManager* images) override;
    void setWaveScrolling(bool value) override { waveScrolling = value; }
    void scrollWaveToOrigin() override {}
    PageState pageState() const override { return pages; }
    void initPages(double totalTime) override;
    void setShowingPage(int page) override;
    void showMarkers(MarkerManager* shown) override { markers = shown; }
    void openGainPanel(const QString& title) override;
    void showWindow() override { windowVisible = true; }
    void closeWindow() override;
    bool isWindowVisible() const override { return windowVisible; }
};
