// The main window: a dark, compact recorder with the indicator row, the waveform area
// and the record or edit buttons, and the menu bar. It only builds the controls;
// the control manager drives them.
#pragma once

#include "control/MainWindowControls.h"

#include <QMainWindow>

class AppDelegate;
class QMenuBar;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppDelegate* app, QWidget* parent = nullptr);
    const MainWindowControls& controls() const { return m_controls; }

    // Retranslates every menu title from its source text.
    void localize(QMenuBar* bar);
    void localize(QMenu* menu);
    // Set once quitting has been confirmed, so that closing does not ask again.
    void setCloseConfirmed(bool confirmed) { m_closeConfirmed = confirmed; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    QWidget* buildIndicatorRow();
    QWidget* buildButtonRow();

    AppDelegate* m_app;
    MainWindowControls m_controls;
    bool m_closeConfirmed = false;
};
