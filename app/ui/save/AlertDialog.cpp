// Modal alerts as a small dialog: texts, an accessory line and a row of buttons.
#include "save/AlertDialog.h"

#include "control/AlertButtonTitles.h"
#include "look/DarkLook.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <vector>

using namespace alert_buttons;

namespace {

// Width of the alert's text column.
constexpr int kTextWidth = 420;

// A label that cuts each of its lines at the tail to fit its width.
class ElidedLabel : public QWidget {
public:
    ElidedLabel(const QString& text, QWidget* parent) : QWidget(parent), m_lines(text.split(QLatin1Char('\n')))
    {
        QFont f = font();
        f.setPointSizeF(f.pointSizeF() * 0.85);
        setFont(f);
        setObjectName(QStringLiteral("alert_accessory"));
        setProperty("accessoryText", text);
        setMinimumWidth(kTextWidth);
        setFixedHeight(fontMetrics().lineSpacing() * static_cast<int>(m_lines.size()) + 2);
    }
    QString text() const { return m_lines.join(QLatin1Char('\n')); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        const QFontMetrics fm = fontMetrics();
        int y = fm.ascent();
        for (const QString& line : m_lines) {
            painter.drawText(0, y, fm.elidedText(line, Qt::ElideRight, width()));
            y += fm.lineSpacing();
        }
    }

private:
    QStringList m_lines;
};

class Alert : public QDialog {
public:
    Alert(const AlertRequest& request, QWidget* parent) : QDialog(parent)
    {
        setObjectName(QStringLiteral("alert"));
        setWindowTitle(QApplication::applicationName());
        setModal(true);
        ApplyDialogLook(this);
        auto* layout = new QVBoxLayout(this);
        auto* message = new QLabel(request.message, this);
        message->setObjectName(QStringLiteral("alert_message"));
        message->setWordWrap(true);
        message->setMinimumWidth(kTextWidth);
        QFont bold = message->font();
        bold.setBold(true);
        message->setFont(bold);
        layout->addWidget(message);
        if (!request.information.isEmpty()) {
            auto* information = new QLabel(request.information, this);
            information->setObjectName(QStringLiteral("alert_information"));
            information->setWordWrap(true);
            layout->addWidget(information);
        }
        if (!request.accessoryText.isEmpty())
            layout->addWidget(new ElidedLabel(request.accessoryText, this));

        const QStringList titles = request.buttons.isEmpty() ? QStringList{Title(kOk)} : request.buttons;
        auto* row = new QHBoxLayout;
        row->addStretch();
        // The first button is the default and sits rightmost.
        for (int i = static_cast<int>(titles.size()) - 1; i >= 0; --i) {
            auto* button = new QPushButton(titles.at(i), this);
            button->setObjectName(QStringLiteral("alert_button_%1").arg(i));
            button->setEnabled(i != request.disabledButton);
            if (i == 0 && button->isEnabled()) {
                button->setDefault(true);
                button->setFocus();
            }
            connect(button, &QPushButton::clicked, this, [this, i]() { done(i); });
            row->addWidget(button);
        }
        layout->addLayout(row);
        m_escapeAnswer = static_cast<int>(titles.size()) - 1;
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Escape) {
            done(m_escapeAnswer);
            return;
        }
        QDialog::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent*) override { done(m_escapeAnswer); }

private:
    int m_escapeAnswer = 0;
};

int RunOnMainThread(const AlertRequest& request, QWidget* parent)
{
    Alert alert(request, parent);
    return alert.exec();
}

} // namespace

int AlertDialog::Run(const AlertRequest& request, QWidget* parent)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return -1;
    if (QThread::currentThread() == app->thread())
        return RunOnMainThread(request, parent);
    int answer = -1;
    QPointer<QWidget> guardedParent(parent);
    QMetaObject::invokeMethod(
        app, [&]() { answer = RunOnMainThread(request, guardedParent.data()); }, Qt::BlockingQueuedConnection);
    return answer;
}

void AlertDialog::OkAlertWithMessage(const QString& message, const QString& information, QWidget* parent)
{
    Run({message, information, {Title(kOk)}, -1, QString()}, parent);
}

bool AlertDialog::OkCancelAlertWithMessage(const QString& message, const QString& information, QWidget* parent)
{
    return Run({message, information, {Title(kOk), Title(kCancel)}, -1, QString()}, parent) == 0;
}

bool AlertDialog::YesNoAlertWithMessage(const QString& message, const QString& information, QWidget* parent)
{
    return Run({message, information, {Title(kYes), Title(kNo)}, -1, QString()}, parent) == 0;
}
