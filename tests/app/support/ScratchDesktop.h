// The desktop a test program of Sillaro runs in: settings, cache and runtime folders in a
// scratch folder that lives as long as this object, no session bus, the silent audio
// output and update checks refused before they reach the network, so that tests never
// read or change the user's own settings, session or sound, nor reach the network.
// Create it first in main(), before the QApplication; it names the application.
#pragma once

#include <QString>
#include <QTemporaryDir>

class ScratchDesktop {
public:
    // applicationName is also the organisation name, and so the settings file's name.
    explicit ScratchDesktop(const QString& applicationName);

    // Clears every setting, as on a first start, except that update checks stay refused.
    static void ClearSettings();

    // The scratch folder; tests may put their own files below it.
    QString path() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
};
