// Keyboard focus around modal dialogs, also on a desktop without a window manager to
// hand it over: every modal dialog (the folder chooser and alerts included) becomes the
// active window when it is shown, and the main window becomes active again when the last
// modal dialog is gone, so that its shortcuts work without a click.
#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

class ModalFocus : public QObject {
    Q_OBJECT
public:
    // Watches every window of the application; mainWindow gets the focus back.
    explicit ModalFocus(QWidget* mainWindow);
    ~ModalFocus() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void returnToMainWindow();

    QPointer<QWidget> m_mainWindow;
};
