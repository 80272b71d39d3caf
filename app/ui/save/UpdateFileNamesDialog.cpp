// The initial-number dialog of "Update File Names".
#include "save/UpdateFileNamesDialog.h"

#include "look/DarkLook.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

UpdateFileNamesDialog::UpdateFileNamesDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("UpdateFileNamesDialog"));
    setWindowTitle(tr("Update File Names"));
    setModal(true);
    ApplyDialogLook(this);

    m_desc = new QLabel(tr("Updates the names of all the files you checked."), this);
    m_track = new QLabel(tr("Initial Track No.") + QStringLiteral(" :"), this);
    m_initialNo = new QLineEdit(this);
    m_initialNo->setObjectName(QStringLiteral("initial_no"));
    m_initialNo->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,9}")), this));
    m_initialNo->setAlignment(Qt::AlignRight);
    m_initialNo->setFixedWidth(72);
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_up->setFixedSize(18, 13);
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    m_down->setFixedSize(18, 13);
    m_ok = new QPushButton(tr("OK"), this);
    m_ok->setObjectName(QStringLiteral("ok_button"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel_button"));
    m_cancel->setAutoDefault(false);

    auto* stepper = new QVBoxLayout;
    stepper->setSpacing(0);
    stepper->addWidget(m_up);
    stepper->addWidget(m_down);
    auto* number = new QHBoxLayout;
    number->addWidget(m_track);
    number->addWidget(m_initialNo);
    number->addLayout(stepper);
    number->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(12);
    layout->addWidget(m_desc);
    layout->addLayout(number);
    layout->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &UpdateFileNamesDialog::OkClicked);
    connect(m_cancel, &QPushButton::clicked, this, &UpdateFileNamesDialog::CancelClicked);
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
    connect(m_initialNo, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_stepperValue = std::clamp(ResponseForText(text, std::numeric_limits<int>::max()), 1, kStepperMaximum);
    });
    resetToOne();
}

int UpdateFileNamesDialog::ResponseForText(const QString& text, int maximum)
{
    const QString trimmed = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < trimmed.size() && (trimmed[i] == u'-' || trimmed[i] == u'+'))
        negative = trimmed[i++] == u'-';
    long long value = 0;
    for (; i < trimmed.size() && trimmed[i] >= u'0' && trimmed[i] <= u'9'; ++i) {
        value = value * 10 + (trimmed[i].unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return kNoNumber;
    }
    if (negative)
        value = -value;
    return value > maximum ? kNoNumber : static_cast<int>(value);
}

void UpdateFileNamesDialog::stepBy(int steps)
{
    m_stepperValue = std::clamp(m_stepperValue + steps, 1, kStepperMaximum);
    m_initialNo->setText(QString::number(m_stepperValue));
}

void UpdateFileNamesDialog::resetToOne()
{
    m_stepperValue = 1;
    m_initialNo->setText(QStringLiteral("1"));
}

void UpdateFileNamesDialog::OkClicked()
{
    const int response = ResponseForText(m_initialNo->text(), kStepperMaximum);
    resetToOne();
    done(response);
}

void UpdateFileNamesDialog::CancelClicked()
{
    resetToOne();
    done(kNoNumber);
}
