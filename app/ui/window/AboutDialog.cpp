// Contents of the about dialog.
#include "window/AboutDialog.h"

#include "look/DarkLook.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("about_dialog"));
    setWindowTitle(tr("About Sillaro"));
    ApplyDialogLook(this);
    auto* layout = new QVBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/artwork/app_icon.svg")).pixmap(64, 64));
    icon->setAlignment(Qt::AlignCenter);
    label_version = new QLabel(QStringLiteral("%1 %2").arg(tr("Sillaro, Version"), QStringLiteral(SILLARO_VERSION)), this);
    label_copyright = new QLabel(QStringLiteral(SILLARO_COPYRIGHT), this);
    label_copyright->setWordWrap(true);
    button_ok = new QPushButton(tr("OK"), this);
    connect(button_ok, &QPushButton::clicked, this, &QDialog::close);
    label_version->setObjectName(QStringLiteral("label_version"));
    label_copyright->setObjectName(QStringLiteral("label_copyright"));
    button_ok->setObjectName(QStringLiteral("button_ok"));
    for (QLabel* l : {label_version, label_copyright})
        l->setAlignment(Qt::AlignCenter);
    layout->addWidget(icon);
    layout->addWidget(label_version);
    layout->addWidget(label_copyright);
    layout->addWidget(button_ok, 0, Qt::AlignCenter);
}

QString AboutDialog::versionText() const { return label_version->text(); }
QString AboutDialog::copyrightText() const { return label_copyright->text(); }
