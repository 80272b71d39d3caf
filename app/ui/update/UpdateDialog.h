// The offer panel: tells the user that a newer version is available, shows its
// release notes and downloads its package to a place the user chooses, with a
// progress panel that can cancel. A failed download leaves the panel open with
// its buttons enabled, so that the user can retry or cancel.
#pragma once

#include "control/DialogService.h"

#include <QDialog>
#include <QPointer>
#include <QUrl>
#include <functional>

class DownloadWrapper;
class QLabel;
class QPlainTextEdit;
class QProgressDialog;
class QPushButton;
class QTimer;

class UpdateDialog : public QDialog {
    Q_OBJECT
public:
    // Closing codes of runModal.
    enum Code { Cancelled = 0, Downloaded = 1 };

    // Asks where to save the package; an empty answer means the user cancelled.
    using DestinationChooser = std::function<QString(const QString& defaultFileName)>;

    explicit UpdateDialog(QWidget* parent = nullptr);
    ~UpdateDialog() override;

    void setVersion(const QString& version);
    void setDetail(const QString& detail);
    void setTarget_URL(const QUrl& url);
    void setDefault_file_name(const QString& name);
    int runModal();

    // Without a chooser the dialog asks with a file dialog of its own.
    void setDestinationChooser(DestinationChooser chooser) { m_chooser = std::move(chooser); }
    // Without a handler the failure is shown in a message box of its own.
    void setAlertHandler(AlertHandler handler) { m_alert = std::move(handler); }

    void onClickDownloadButton();
    void onClickCancelButton();
    void downloadDidFinish(int code);

    bool isDownloading() const { return m_downloading; }
    // The progress panel's last value in thousandths.
    int progressValue() const { return m_progressValue; }
    QPushButton* downloadButton() const { return m_downloadButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    QProgressDialog* progressPanel() const { return m_progress; }

    void reject() override;

signals:
    // After a download ended and the panel reacted to it (DownloadWrapper codes).
    void downloadEnded(int code);

private:
    void updateTexts();
    void setButtonsEnabled(bool enabled);
    void pollProgress();
    void startProgressPanel();
    void stopProgressPanel();
    QString chooseDestination(const QString& defaultFileName);

    QLabel* m_topLabel;
    QLabel* m_bottomLabel;
    QPlainTextEdit* m_detailText;
    QPushButton* m_downloadButton;
    QPushButton* m_cancelButton;
    QProgressDialog* m_progress = nullptr;
    QTimer* m_progressTimer;

    QString m_version;
    QUrl m_targetUrl;
    QString m_defaultFileName;
    QString m_destination;
    QPointer<DownloadWrapper> m_wrapper;
    bool m_downloading = false;
    int m_progressValue = 0;

    DestinationChooser m_chooser;
    AlertHandler m_alert;
};
