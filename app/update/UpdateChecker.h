// Check for a newer version of the program. Results: 0 nothing to report,
// 1 up to date, 2 an update is offered by its own dialog, 3 the check failed.
#pragma once

#include <QObject>
#include <QString>

class QDialog;

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    explicit UpdateChecker(QObject* parent = nullptr) : QObject(parent) {}
    void setDialog(QDialog* dialog) { m_dialog = dialog; }
    int checkUpdate() { return 0; }
    QString versionString() const { return QStringLiteral(SILLARO_VERSION); }

private:
    QDialog* m_dialog = nullptr;
};
