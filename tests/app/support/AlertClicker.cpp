// The modal-dialog answerer of the end-to-end tests.
#include "AlertClicker.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <algorithm>

namespace {

QString TextOf(QWidget* alert, const char* name)
{
    if (auto* label = alert->findChild<QLabel*>(QString::fromLatin1(name)))
        return label->text();
    if (QWidget* w = alert->findChild<QWidget*>(QString::fromLatin1(name)))
        return w->property("text").toString();
    return QString();
}

} // namespace

AlertClicker::AlertClicker(const QString& outputDir) : m_outputDir(outputDir)
{
    connect(&m_timer, &QTimer::timeout, this, [this]() { poll(); });
    m_timer.start(20);
}

bool AlertClicker::hasSeen(const QString& message) const
{
    return std::any_of(m_seen.begin(), m_seen.end(), [&](const Seen& s) { return s.message == message; });
}

QStringList AlertClicker::messages() const
{
    QStringList all;
    for (const Seen& s : m_seen)
        all << s.message;
    return all;
}

void AlertClicker::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) {
        m_lastHandedOver = nullptr;
        return;
    }
    if (modal->objectName() == QLatin1String("alert")) {
        answerAlert(modal);
        return;
    }
    if (modal == m_lastHandedOver)
        return;
    for (auto it = m_actions.begin(); it != m_actions.end(); ++it) {
        if (modal->objectName() != it.key() && !modal->inherits(it.key().toLatin1().constData()))
            continue;
        m_lastHandedOver = modal;
        ModalAction action = it.value();
        m_actions.erase(it);
        QTimer::singleShot(0, modal, [modal, action]() { action(modal); });
        return;
    }
}

void AlertClicker::answerAlert(QWidget* alert)
{
    Seen seen{TextOf(alert, "alert_message"), TextOf(alert, "alert_information"), QString(), {}};
    if (QWidget* accessory = alert->findChild<QWidget*>(QStringLiteral("alert_accessory")))
        seen.accessory = accessory->property("accessoryText").toString();
    QPushButton* chosen = nullptr;
    const QString wanted = m_answers.value(seen.message, QStringLiteral("OK"));
    for (QPushButton* b : alert->findChildren<QPushButton*>()) {
        if (!b->isEnabled())
            seen.disabledButtons.push_back(b->text());
        if (b->text() == wanted)
            chosen = b;
    }
    if (m_shots.contains(seen.message))
        alert->grab().save(m_outputDir + "/" + m_shots.take(seen.message));
    m_seen.push_back(seen);
    if (chosen)
        QTest::mouseClick(chosen, Qt::LeftButton);
}
