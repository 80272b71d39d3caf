// Modal alerts over QMessageBox with the application's button orders.
#include "save/AlertDialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace {

bool RunOnMainThread(AlertKind kind, const QString& message, const QString& information)
{
    QMessageBox box;
    box.setIcon(QMessageBox::NoIcon);
    box.setText(message);
    if (!information.isEmpty())
        box.setInformativeText(information);

    QPushButton* first = nullptr;
    QPushButton* second = nullptr;
    switch (kind) {
    case AlertKind::Ok:
        first = box.addButton(QApplication::translate("AlertDialog", "OK"), QMessageBox::AcceptRole);
        box.setEscapeButton(first);
        break;
    case AlertKind::OkCancel:
        first = box.addButton(QApplication::translate("AlertDialog", "OK"), QMessageBox::AcceptRole);
        second = box.addButton(QApplication::translate("AlertDialog", "Cancel"), QMessageBox::RejectRole);
        break;
    case AlertKind::YesNo:
        first = box.addButton(QApplication::translate("AlertDialog", "Yes"), QMessageBox::YesRole);
        second = box.addButton(QApplication::translate("AlertDialog", "No"), QMessageBox::NoRole);
        break;
    }
    if (second)
        box.setEscapeButton(second);
    box.setDefaultButton(first);
    box.exec();
    return box.clickedButton() == first;
}

} // namespace

bool AlertDialog::Run(AlertKind kind, const QString& message, const QString& information)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    if (QThread::currentThread() == app->thread())
        return RunOnMainThread(kind, message, information);
    bool answer = false;
    QMetaObject::invokeMethod(app, [&]() { answer = RunOnMainThread(kind, message, information); },
                              Qt::BlockingQueuedConnection);
    return answer;
}

void AlertDialog::OkAlertWithMessage(const QString& message, const QString& information)
{
    Run(AlertKind::Ok, message, information);
}

bool AlertDialog::OkCancelAlertWithMessage(const QString& message, const QString& information)
{
    return Run(AlertKind::OkCancel, message, information);
}

bool AlertDialog::YesNoAlertWithMessage(const QString& message, const QString& information)
{
    return Run(AlertKind::YesNo, message, information);
}

AlertHandler AlertDialog::systemHandler()
{
    return [](AlertKind kind, const QString& message, const QString& information) {
        return Run(kind, message, information);
    };
}
