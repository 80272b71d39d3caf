// Closes the progress dialog when the framework reports that writing has finished.
// Observes the operation notifications from its creation to its destruction.
#pragma once

class ProgressDialog;

class SaveEventListener {
public:
    explicit SaveEventListener(ProgressDialog* dialog);
    ~SaveEventListener();
    SaveEventListener(const SaveEventListener&) = delete;
    SaveEventListener& operator=(const SaveEventListener&) = delete;

    ProgressDialog* dialog() const { return m_dialog; }

private:
    ProgressDialog* m_dialog; // not owned
};
