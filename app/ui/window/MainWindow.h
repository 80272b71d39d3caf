// The main window: a dark, compact recorder with the indicator row, the waveform area
// and the record or edit buttons, and the menu bar. It builds the controls, sends their
// commands (and the waveform's intents) to the control manager and implements MainView,
// through which the control logic switches them.
#pragma once

#include "control/MainView.h"
#include "window/MainWindowControls.h"

#include <QHash>
#include <QMainWindow>

class ControlManager;
class QMenuBar;
class WindowCloseHandler;

class MainWindow : public QMainWindow, public MainView {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    const MainWindowControls& controls() const { return m_controls; }
    // Connects every button, menu item, the gain panel and the Space key to the commands,
    // the waveform's intents to the control manager, and the close button to closing.
    void bindCommands(ControlManager& manager, WindowCloseHandler& closing);

    // Retranslates every menu title from its source text.
    void localize(QMenuBar* bar);
    void localize(QMenu* menu);
    // Set once quitting has been confirmed, so that closing does not ask again.
    void setCloseConfirmed(bool confirmed) { m_closeConfirmed = confirmed; }

    // MainView
    void setHidden(ViewItem item, bool hidden) override;
    void setEnabled(ViewItem item, bool enabled) override;
    void setTitle(ViewItem item, const QString& title, int pointSize = 0) override;
    bool isMainWindowKey() const override;
    void setMenuItemEnabled(MenuItemId item, bool enabled) override;
    void setAutoGainTitle(const QString& title) override;
    void setMenuItemTitle(MenuItemId item, const char* sourceText) override;
    void setMenuItemHint(MenuItemId item, const QString& hint) override;
    void showClickMarks(const ClickMarks* marks) override;
    void showSuggestedMarkers(const std::vector<double>& seconds) override;
    void localizeMenus() override;
    void setModeText(const QString& text) override;
    void setModeIcon(const QString& name) override;
    void setTimeIndicatorLayout(int leading, int top, bool hideTotalTime) override;
    void setRecordFormat(const QString& format, uint64_t sampleRate, uint16_t bits) override;
    void setLevelMeterHoldTime(int32_t seconds) override;
    void setLevelMeterAmp(float amp) override;
    void setLevelMeterPlayController(PreviewController* controller) override;
    void clearLevelMeter() override;
    bool isZoom() const override;
    void setIsZoom(bool zoom) override;
    void redrawWave() override;
    void resetWave(WaveImageManager* images) override;
    void setWaveScrolling(bool enabled) override;
    void scrollWaveToOrigin() override;
    PageState pageState() const override;
    void initPages(double totalTime) override;
    void setShowingPage(int page) override;
    void showMarkers(MarkerManager* markers) override;
    void openGainPanel(const QString& autoTitle) override;
    void showWindow() override;
    void closeWindow() override;
    bool isWindowVisible() const override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    QWidget* buildIndicatorRow();
    QWidget* buildButtonRow();
    QWidget* widgetFor(ViewItem item) const;
    void saveWindowGeometry() const;

    WindowCloseHandler* m_closing = nullptr;
    ControlManager* m_controlManager = nullptr;
    MainWindowControls m_controls;
    QHash<int, QAction*> m_menuItems; // MenuItemId -> action (the gain choices apart)
    bool m_closeConfirmed = false;
};
