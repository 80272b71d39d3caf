// The small modal dialog of "Update File Names": asks for the number of the first checked
// track. Its response is that number on "OK", -1 on "Cancel" or for a number above the
// stepper's maximum; every closing resets the field and the stepper to 1.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class UpdateFileNamesDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kStepperMaximum = 999;
    static constexpr int kNoNumber = -1;

    explicit UpdateFileNamesDialog(QWidget* parent = nullptr);

    void OkClicked();
    void CancelClicked();

    // The response for the field's text: its integer value (leading blanks and sign
    // allowed, digits up to the first other character, 0 without digits), or -1 above maximum.
    static int ResponseForText(const QString& text, int maximum);

    QLineEdit* initialNumberField() const { return m_initialNo; }
    int stepperValue() const { return m_stepperValue; }
    void stepBy(int steps);

protected:
    void reject() override { CancelClicked(); }

private:
    void resetToOne();

    QLabel* m_desc = nullptr;
    QLabel* m_track = nullptr;
    QLineEdit* m_initialNo = nullptr;
    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_stepperValue = 1;
};
