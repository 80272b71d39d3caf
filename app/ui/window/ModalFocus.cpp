// Handing the focus to modal dialogs and back to the main window.
#include "window/ModalFocus.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

bool IsModalWindow(const QObject* object)
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    return widget && widget->isWindow() && widget->windowModality() != Qt::NonModal;
}

} // namespace

ModalFocus::ModalFocus(QWidget* mainWindow) : QObject(mainWindow), m_mainWindow(mainWindow)
{
    qApp->installEventFilter(this);
}

ModalFocus::~ModalFocus()
{
    qApp->removeEventFilter(this);
}

bool ModalFocus::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && IsModalWindow(watched)) {
        // After the show has been processed, so that the window is mapped.
        QPointer<QWidget> dialog(static_cast<QWidget*>(watched));
        QTimer::singleShot(0, this, [dialog]() {
            if (dialog && dialog->isVisible()) {
                dialog->raise();
                dialog->activateWindow();
            }
        });
    } else if (event->type() == QEvent::Hide && IsModalWindow(watched)) {
        QTimer::singleShot(0, this, &ModalFocus::returnToMainWindow);
    }
    return QObject::eventFilter(watched, event);
}

void ModalFocus::returnToMainWindow()
{
    if (!m_mainWindow || !m_mainWindow->isVisible())
        return;
    // Another modal dialog still open (an alert over the write dialog) keeps the focus.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->activateWindow();
        return;
    }
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}
