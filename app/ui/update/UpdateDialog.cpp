// The offer panel and its download.
#include "update/UpdateDialog.h"

#include "look/DarkLook.h"
#include "update/DownloadWrapper.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kProgressPollMs = 100;

} // namespace

UpdateDialog::UpdateDialog(QWidget* parent)
    : QDialog(parent),
      m_topLabel(new QLabel(this)),
      m_bottomLabel(new QLabel(this)),
      m_detailText(new QPlainTextEdit(this)),
      m_downloadButton(new QPushButton(this)),
      m_cancelButton(new QPushButton(this)),
      m_progressTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("update_dialog"));
    setWindowTitle(tr("Sillaro"));
    setModal(true);
    ApplyDialogLook(this);

    m_topLabel->setObjectName(QStringLiteral("label_top"));
    m_topLabel->setWordWrap(true);
    QFont bold = m_topLabel->font();
    bold.setBold(true);
    m_topLabel->setFont(bold);
    m_bottomLabel->setObjectName(QStringLiteral("label_bottom"));
    m_detailText->setObjectName(QStringLiteral("detail_text"));
    m_detailText->setReadOnly(true);
    m_detailText->setMinimumSize(420, 160);
    m_downloadButton->setObjectName(QStringLiteral("button_download"));
    m_downloadButton->setDefault(true);
    m_cancelButton->setObjectName(QStringLiteral("button_cancel"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_cancelButton, QDialogButtonBox::RejectRole);
    buttons->addButton(m_downloadButton, QDialogButtonBox::AcceptRole);
    connect(m_downloadButton, &QPushButton::clicked, this, &UpdateDialog::onClickDownloadButton);
    connect(m_cancelButton, &QPushButton::clicked, this, &UpdateDialog::onClickCancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_topLabel);
    layout->addWidget(m_detailText, 1);
    layout->addWidget(m_bottomLabel);
    layout->addWidget(buttons);

    m_progressTimer->setInterval(kProgressPollMs);
    connect(m_progressTimer, &QTimer::timeout, this, &UpdateDialog::pollProgress);

    updateTexts();
}

UpdateDialog::~UpdateDialog()
{
    if (m_wrapper)
        m_wrapper->disconnect(this);
}

void UpdateDialog::updateTexts()
{
    m_topLabel->setText(
        QStringLiteral("%1 %2 %3").arg(tr("Latest version of Sillaro "), m_version, tr("is now available.")));
    m_bottomLabel->setText(tr("Do you want to download now?"));
    m_downloadButton->setText(tr("Download"));
    m_cancelButton->setText(tr("Cancel"));
}

void UpdateDialog::setVersion(const QString& version)
{
    m_version = version;
    updateTexts();
}

void UpdateDialog::setDetail(const QString& detail)
{
    m_detailText->setPlainText(detail);
}

void UpdateDialog::setTarget_URL(const QUrl& url)
{
    m_targetUrl = url;
}

void UpdateDialog::setDefault_file_name(const QString& name)
{
    m_defaultFileName = name;
}

int UpdateDialog::runModal()
{
    setButtonsEnabled(true);
    return exec();
}

QString UpdateDialog::chooseDestination(const QString& defaultFileName)
{
    if (m_chooser)
        return m_chooser(defaultFileName);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return QFileDialog::getSaveFileName(this, tr("Download"), QDir(folder).filePath(defaultFileName),
                                        tr("Debian package (*.deb)"));
}

void UpdateDialog::setButtonsEnabled(bool enabled)
{
    m_downloadButton->setEnabled(enabled);
    m_cancelButton->setEnabled(enabled);
}

void UpdateDialog::onClickDownloadButton()
{
    if (m_downloading)
        return;
    const QString destination = chooseDestination(m_defaultFileName);
    if (destination.isEmpty())
        return;

    setButtonsEnabled(false);
    m_destination = destination;
    m_downloading = true;
    m_progressValue = 0;

    m_wrapper = new DownloadWrapper(this);
    connect(m_wrapper, &DownloadWrapper::downloadDidFinish, this, &UpdateDialog::downloadDidFinish);
    startProgressPanel();
    if (!m_wrapper->downloadFileFrom(m_targetUrl, m_destination))
        downloadDidFinish(DownloadWrapper::Failure);
}

void UpdateDialog::startProgressPanel()
{
    if (!m_progress) {
        m_progress = new QProgressDialog(this);
        m_progress->setObjectName(QStringLiteral("progress_panel"));
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setMinimumDuration(0);
        m_progress->setRange(0, DownloadWrapper::kProgressScale);
        // The bar without its percentage, like the write progress panel:
        // the dark look colours the bar but not a text drawn over it.
        auto* bar = new QProgressBar(m_progress);
        bar->setTextVisible(false);
        m_progress->setBar(bar);
        connect(m_progress, &QProgressDialog::canceled, this, [this]() {
            if (m_wrapper)
                m_wrapper->cancel();
        });
    }
    m_progress->setLabelText(tr("Saving…"));
    m_progress->setCancelButtonText(tr("Cancel"));
    m_progress->setValue(0);
    m_progress->show();
    m_progressTimer->start();
}

void UpdateDialog::pollProgress()
{
    if (!m_wrapper)
        return;
    int progress = 0;
    int total = 0;
    m_wrapper->progress(progress, total);
    m_progressValue = progress;
    if (m_progress)
        m_progress->setValue(progress);
}

void UpdateDialog::stopProgressPanel()
{
    m_progressTimer->stop();
    if (m_progress)
        m_progress->hide();
}

void UpdateDialog::downloadDidFinish(int code)
{
    pollProgress();
    m_downloading = false;
    QString reason;
    if (m_wrapper)
        reason = m_wrapper->errorString();
    stopProgressPanel();
    if (code == DownloadWrapper::Failure) {
        if (m_alert)
            m_alert(AlertKind::Ok, tr("Failed to download new version."), reason);
        else
            QMessageBox::warning(this, windowTitle(), tr("Failed to download new version."), QMessageBox::Ok);
    }
    if (code != DownloadWrapper::Success)
        setButtonsEnabled(true);
    raise();
    activateWindow();
    if (m_wrapper)
        m_wrapper->deleteLater();
    m_wrapper = nullptr;

    emit downloadEnded(code);
    if (code == DownloadWrapper::Success)
        done(Downloaded);
}

void UpdateDialog::onClickCancelButton()
{
    if (m_downloading)
        return;
    done(Cancelled);
}

void UpdateDialog::reject()
{
    // Escape and the window's close button cancel, except while a download runs.
    if (m_downloading)
        return;
    done(Cancelled);
}
