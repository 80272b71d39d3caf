// The Find Track Gaps result dialog.
#include "marker/TrackGapsDialog.h"

#include "controls/DialogButtons.h"
#include "look/DarkLook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

TrackGapsDialog::TrackGapsDialog(const TrackGapsRequest& request, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TrackGapsDialog"));
    setWindowTitle(tr("Find Track Gaps"));
    setModal(true);
    ApplyDialogLook(this);

    auto* message = new QLabel(request.message, this);
    message->setObjectName(QStringLiteral("label_message"));
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    auto* information = new QLabel(request.information, this);
    information->setWordWrap(true);
    information->setMinimumWidth(380);

    auto* label = new QLabel(tr("Tracks on this side:"), this);
    m_count = new QSpinBox(this);
    m_count->setObjectName(QStringLiteral("spin_track_count"));
    m_count->setRange(1, std::max(1, request.maxTrackCount));
    m_count->setValue(request.trackCount);
    label->setBuddy(m_count);
    auto* hint = new QLabel(tr("Change the count and the most gap-like places are chosen."), this);
    hint->setObjectName(QStringLiteral("label_hint"));

    auto* count = new QHBoxLayout;
    count->addWidget(label);
    count->addWidget(m_count);
    count->addStretch();
    QHBoxLayout* buttons = CancelAndActionButtons(this, tr("Add Markers"), QStringLiteral("button_add_markers"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(12);
    layout->addWidget(message);
    layout->addWidget(information);
    layout->addLayout(count);
    layout->addWidget(hint);
    layout->addLayout(buttons);
}

int TrackGapsDialog::trackCount() const
{
    return m_count->value();
}
