// Translation loading by system locale.
#include "root/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallTranslations(QCoreApplication& app)
{
    const QLocale locale;
    // Qt's texts (standard buttons, file dialogs), when the system has them.
    auto* qt = new QTranslator(&app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;

    auto* own = new QTranslator(&app);
    if (!own->load(locale, QStringLiteral("sillaro"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
        delete own;
        return false;
    }
    QCoreApplication::installTranslator(own);
    return true;
}
