// Combo box that takes keyboard focus only while it is enabled. (Keyboard access to
// every control is always on here; the desktop has no separate switch for it.)
#pragma once

#include <QComboBox>

class FocusableComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit FocusableComboBox(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyFocusPolicy();
};
