// Answers the real dialogs of the program in end-to-end tests: every 20 ms it looks at the
// open modal widget. An alert has its texts noted and the button the script names for its
// message clicked ("OK" otherwise); any other modal widget (the write dialog, the folder
// chooser, the progress panel) is handed once to the action registered for its object or
// class name.
#pragma once

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>



class AlertClicker : public QObject {
public:
    struct Seen {
        QString message;
        QString information;
        QString accessory;
        QStringList disabledButtons;
    };
    using ModalAction = std::function<void(QWidget*)>;

    // Screenshots of alerts are saved into outputDir.
    explicit AlertClicker(const QString& outputDir);

    void answer(const QString& message, const QString& button) { m_answers[message] = button; }
    // Screenshot of the alert with this message, taken before it is answered.
    void screenshot(const QString& message, const QString& file) { m_shots[message] = file; }
    // Runs action on the next modal widget with this object or class name, once. The action
    // runs from a posted event, so it may open further modal dialogs.
    void onModal(const QString& name, ModalAction action) { m_actions[name] = std::move(action); }

    const std::vector<Seen>& seen() const { return m_seen; }
    bool hasSeen(const QString& message) const;
    QStringList messages() const;

private:
    void poll();
    void answerAlert(QWidget* alert);

    QTimer m_timer;
    QString m_outputDir;
    QMap<QString, QString> m_answers;
    QMap<QString, QString> m_shots;
    QMap<QString, ModalAction> m_actions;
    QPointer<QWidget> m_lastHandedOver; // the modal widget an action was last run on
    std::vector<Seen> m_seen;
};
