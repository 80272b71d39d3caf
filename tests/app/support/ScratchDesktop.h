// The desktop a test program of Sillaro runs in: settings, cache and runtime folders in a
// scratch folder that lives as long as this object, no session bus and the silent audio
// output, so that tests never read or change the user's own settings, session or sound.
// Create it first in main(), before the QApplication.
#pragma once

#include <QString>
#include <QTemporaryDir>

class ScratchDesktop {
public:
    ScratchDesktop();

    // The scratch folder; tests may put their own files below it.
    QString path() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
};
