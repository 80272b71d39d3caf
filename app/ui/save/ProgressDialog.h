// A modal progress panel: "Saving…", the percentage of the whole job, a bar and "Cancel".
// It polls its delegate every 0.1 s (also while modal) and closes on onFinish.
#pragma once

#include "control/DialogService.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget* parent = nullptr);

    // The delegate also names the job (its title and label; the writing texts when empty).
    void setProgressDelegate(ProgressDelegate* delegate);
    ProgressDelegate* progressDelegate() const { return m_delegate; }

    // Begins polling (one poll at once) and enables "Cancel".
    void start();
    void stop();
    // The job ended: stop polling and close, ending the modal loop.
    void onFinish();
    void onCancelClicked();
    // One poll of the delegate; the timer calls it.
    void tick();

    // Runs modally unless the job already finished.
    int runModal();
    bool isFinished() const { return m_finished; }
    bool isPolling() const { return m_timer.isActive(); }
    QString percentText() const;
    int barValue() const;
    bool isCancelEnabled() const;

    // "42 %" for a total of 425 thousandths.
    static QString PercentText(int32_t total);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    ProgressDelegate* m_delegate = nullptr;
    QTimer m_timer;
    QLabel* m_label = nullptr;
    QLabel* m_percent = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_finished = false;
};
