// The standard alerts over the general one.
#include "control/DialogService.h"

#include "control/AlertButtonTitles.h"

using namespace alert_buttons;

void DialogService::OkAlertWithMessage(const QString& message, const QString& information)
{
    runAlert({message, information, {Title(kOk)}, -1, QString()});
}

bool DialogService::OkCancelAlertWithMessage(const QString& message, const QString& information)
{
    return runAlert({message, information, {Title(kOk), Title(kCancel)}, -1, QString()}) == 0;
}

bool DialogService::YesNoAlertWithMessage(const QString& message, const QString& information)
{
    return runAlert({message, information, {Title(kYes), Title(kNo)}, -1, QString()}) == 0;
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
