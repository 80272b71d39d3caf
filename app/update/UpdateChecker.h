// Check for a newer version of the program. Results: 0 nothing to report,
// 1 up to date, 2 an update is offered by its own dialog, 3 the check failed.
#pragma once

#include <QObject>
#include <QString>

class DialogService;

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    explicit UpdateChecker(QObject* parent = nullptr) : QObject(parent) {}
    // The dialogs the checker's own offer and progress run through.
    void setDialog(DialogService* dialogs) { m_dialog = dialogs; }
    int checkUpdate() { return 0; }
    QString versionString() const { return QStringLiteral(SILLARO_VERSION); }

private:
    DialogService* m_dialog = nullptr;
};
