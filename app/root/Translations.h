// Loads the program's translation for the system locale (compiled into the
// resources under :/i18n) and Qt's own for its standard dialogs.
#pragma once

class QCoreApplication;

// Installs the translators on app; they live as long as app. Returns whether a
// translation of the program's own texts was found for the locale.
bool InstallTranslations(QCoreApplication& app);
