#include "controls/DialogButtons.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

QHBoxLayout* CancelAndActionButtons(QDialog* dialog, const QString& actionText, const QString& actionName)
{
    auto* action = new QPushButton(actionText, dialog);
    action->setObjectName(actionName);
    action->setDefault(true);
    auto* cancel = new QPushButton(QCoreApplication::translate("DialogButtons", "Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("button_cancel"));
    cancel->setAutoDefault(false);
    QObject::connect(action, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancel);
    row->addWidget(action);
    return row;
}
