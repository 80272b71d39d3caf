// The about dialog: program name with version and the rights notice, both from the build.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    QString versionText() const;
    QString copyrightText() const;

private:
    QLabel* label_version = nullptr;
    QLabel* label_copyright = nullptr;
    QPushButton* button_ok = nullptr;
};
