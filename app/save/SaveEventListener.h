// Ends the progress dialog when the framework reports that writing has finished.
// Observes the operation notifications from its creation to its destruction.
#pragma once

class DialogService;

class SaveEventListener {
public:
    // dialogs runs the progress dialog; it must outlive the listener.
    explicit SaveEventListener(DialogService& dialogs);
    ~SaveEventListener();
    SaveEventListener(const SaveEventListener&) = delete;
    SaveEventListener& operator=(const SaveEventListener&) = delete;

    bool hasFinished() const { return m_finished; }

private:
    DialogService& m_dialogs;
    bool m_finished = false;
};
