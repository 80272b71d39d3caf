// The standard alerts over the general one.
#include "control/DialogService.h"

#include <QCoreApplication>

namespace {

QString Tr(const char* text)
{
    return QCoreApplication::translate("AlertDialog", text);
}

} // namespace

void DialogService::OkAlertWithMessage(const QString& message, const QString& information)
{
    runAlert({message, information, {Tr("OK")}, -1, QString()});
}

bool DialogService::OkCancelAlertWithMessage(const QString& message, const QString& information)
{
    return runAlert({message, information, {Tr("OK"), Tr("Cancel")}, -1, QString()}) == 0;
}

bool DialogService::YesNoAlertWithMessage(const QString& message, const QString& information)
{
    return runAlert({message, information, {Tr("Yes"), Tr("No")}, -1, QString()}) == 0;
}

bool DialogService::alert(AlertKind kind, const QString& message, const QString& information)
{
    switch (kind) {
    case AlertKind::Ok:
        OkAlertWithMessage(message, information);
        return true;
    case AlertKind::OkCancel: return OkCancelAlertWithMessage(message, information);
    case AlertKind::YesNo: return YesNoAlertWithMessage(message, information);
    }
    return false;
}

AlertHandler DialogService::alertHandler()
{
    return [this](AlertKind kind, const QString& message, const QString& information) {
        return alert(kind, message, information);
    };
}
