// Sillaro's entry: single-instance check, simulator selection, translations, then the
// application delegate and the event loop.
#include "control/QuitFlow.h"
#include "root/AppDelegate.h"
#include "root/SimulateOption.h"
#include "root/SingleInstance.h"
#include "root/TerminationSignals.h"
#include "root/Translations.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sillaro"));
    QApplication::setOrganizationName(QStringLiteral("Sillaro"));
    QApplication::setApplicationVersion(QStringLiteral(SILLARO_VERSION));
    // Names the installed .desktop entry, so the desktop shows its icon and name for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.sillaro.Sillaro"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(QStringLiteral("sillaro.lock"));
    if (!instance.isFirst())
        return 0;

    // Must happen before the framework is first used.
    ApplySimulateOption(QApplication::arguments());

    InstallTranslations(app);

    AppDelegate delegate;
    // A logout or a process manager ends the program without a question; a recording in
    // progress ends and stays to be recovered at the next start.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &delegate, [&delegate]() {
        if (QuitFlow* quit = delegate.quitFlow())
            quit->terminateFromOutside();
        else
            QApplication::exit(0);
    });
    delegate.launch();
    const int status = QApplication::exec();
    delegate.shutdown();
    return status;
}
