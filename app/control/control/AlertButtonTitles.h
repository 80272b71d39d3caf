// The titles of the standard alert buttons, marked for the translation
// catalogue in the alerts' context and looked up there when an alert is
// built, both by the dialog service and by the alert window itself.
#pragma once

#include <QCoreApplication>
#include <QString>

namespace alert_buttons {

inline constexpr const char* kOk = QT_TRANSLATE_NOOP("AlertDialog", "OK");
inline constexpr const char* kCancel = QT_TRANSLATE_NOOP("AlertDialog", "Cancel");
inline constexpr const char* kYes = QT_TRANSLATE_NOOP("AlertDialog", "Yes");
inline constexpr const char* kNo = QT_TRANSLATE_NOOP("AlertDialog", "No");

// The title in the user's language.
inline QString Title(const char* title)
{
    return QCoreApplication::translate("AlertDialog", title);
}

} // namespace alert_buttons
