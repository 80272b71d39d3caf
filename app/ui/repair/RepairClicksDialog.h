// The Repair Clicks dialog: what the command does, the sensitivity (Low, Normal, High),
// [Cancel] and [Repair] (the default, so Return repairs).
#pragma once

#include "cartova.h"

#include <QDialog>

class QComboBox;

class RepairClicksDialog : public QDialog {
    Q_OBJECT
public:
    explicit RepairClicksDialog(QWidget* parent = nullptr);

    TkClickSensitivity sensitivity() const;
    void setSensitivity(TkClickSensitivity sensitivity);

private:
    QComboBox* m_sensitivity = nullptr;
};
