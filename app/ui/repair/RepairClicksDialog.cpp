// The sensitivity dialog of Edit > Repair Clicks...
#include "repair/RepairClicksDialog.h"

#include "controls/DialogButtons.h"
#include "look/DarkLook.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {
// The choices in the order of the list; a choice's row is its sensitivity.
constexpr TkClickSensitivity kChoices[] = {TkClickSensitivityLow, TkClickSensitivityNormal, TkClickSensitivityHigh};
} // namespace

RepairClicksDialog::RepairClicksDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RepairClicksDialog"));
    setWindowTitle(tr("Repair Clicks"));
    setModal(true);
    ApplyDialogLook(this);

    auto* message = new QLabel(tr("Repair the clicks, pops and crackle of the recording."), this);
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    auto* information = new QLabel(tr("The damaged samples are rebuilt from the music around them when you listen "
                                      "and when tracks are written. The recording itself is not changed."),
                                   this);
    information->setWordWrap(true);
    information->setMinimumWidth(380);

    auto* label = new QLabel(tr("Sensitivity:"), this);
    m_sensitivity = new QComboBox(this);
    m_sensitivity->setObjectName(QStringLiteral("combo_sensitivity"));
    m_sensitivity->addItems({tr("Low"), tr("Normal"), tr("High")});
    label->setBuddy(m_sensitivity);
    setSensitivity(TkClickSensitivityNormal);

    auto* choice = new QHBoxLayout;
    choice->addWidget(label);
    choice->addWidget(m_sensitivity);
    choice->addStretch();
    QHBoxLayout* buttons = CancelAndActionButtons(this, tr("Repair"), QStringLiteral("button_repair"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(12);
    layout->addWidget(message);
    layout->addWidget(information);
    layout->addLayout(choice);
    layout->addLayout(buttons);
    m_sensitivity->setFocus();
}

TkClickSensitivity RepairClicksDialog::sensitivity() const
{
    const int row = m_sensitivity->currentIndex();
    return row >= 0 && row < int(std::size(kChoices)) ? kChoices[row] : TkClickSensitivityNormal;
}

void RepairClicksDialog::setSensitivity(TkClickSensitivity sensitivity)
{
    for (int row = 0; row < int(std::size(kChoices)); ++row)
        if (kChoices[row] == sensitivity)
            m_sensitivity->setCurrentIndex(row);
}
