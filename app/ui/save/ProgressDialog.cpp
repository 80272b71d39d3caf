// The progress panel of writing (and of downloads): polling, percentage and cancel.
#include "save/ProgressDialog.h"

#include "look/DarkLook.h"

#include <QCloseEvent>
#include <algorithm>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kPollIntervalMs = 100;
constexpr int kThousandthsPerPercent = 10;
} // namespace

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ProgressDialog"));
    setWindowTitle(tr("Write to Files"));
    setModal(true);
    ApplyDialogLook(this);

    m_label = new QLabel(tr("Saving…"), this);
    m_percent = new QLabel(PercentText(0), this);
    m_percent->setObjectName(QStringLiteral("percent"));
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 1000); // thousandths: the bar shows total / 10.0 percent
    m_bar->setTextVisible(false);
    m_bar->setMinimumWidth(360);
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(m_label);
    top->addStretch();
    top->addWidget(m_percent);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(10);
    layout->addLayout(top);
    layout->addWidget(m_bar);
    layout->addLayout(bottom);

    m_timer.setInterval(kPollIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ProgressDialog::tick);
    connect(m_cancel, &QPushButton::clicked, this, &ProgressDialog::onCancelClicked);
}

void ProgressDialog::setProgressDelegate(ProgressDelegate* delegate)
{
    m_delegate = delegate;
    const QString title = delegate ? delegate->title() : QString();
    const QString label = delegate ? delegate->label() : QString();
    setWindowTitle(title.isEmpty() ? tr("Write to Files") : title);
    m_label->setText(label.isEmpty() ? tr("Saving…") : label);
}

QString ProgressDialog::PercentText(int32_t total)
{
    return QStringLiteral("%1 %").arg(total / kThousandthsPerPercent);
}

void ProgressDialog::start()
{
    m_finished = false;
    m_percent->setText(PercentText(0));
    m_bar->setValue(0);
    m_cancel->setEnabled(true);
    m_timer.start();
    tick();
}

void ProgressDialog::stop()
{
    m_timer.stop();
}

void ProgressDialog::tick()
{
    int32_t current = 0;
    int32_t total = 0;
    // A delegate without progress yet (or an error) leaves the display as it is.
    if (!m_delegate || m_delegate->progress(current, total) != 0)
        return;
    total = std::clamp<int32_t>(total, 0, 1000);
    m_percent->setText(PercentText(total));
    m_bar->setValue(total);
}

void ProgressDialog::onFinish()
{
    stop();
    m_finished = true;
    if (isVisible())
        done(QDialog::Accepted);
}

void ProgressDialog::onCancelClicked()
{
    if (!m_cancel->isEnabled())
        return;
    m_cancel->setEnabled(false);
    if (m_delegate)
        m_delegate->cancel(true);
}

int ProgressDialog::runModal()
{
    if (m_finished)
        return QDialog::Accepted;
    return exec();
}

QString ProgressDialog::percentText() const
{
    return m_percent->text();
}

int ProgressDialog::barValue() const
{
    return m_bar->value();
}

bool ProgressDialog::isCancelEnabled() const
{
    return m_cancel->isEnabled();
}

void ProgressDialog::reject()
{
    // Escape cancels the job; the panel stays until the job has ended.
    onCancelClicked();
}

void ProgressDialog::closeEvent(QCloseEvent* event)
{
    if (m_finished) {
        event->accept();
        return;
    }
    onCancelClicked();
    event->ignore();
}
