// Check box that scrolls itself into view when it takes focus.
#pragma once

#include <QCheckBox>

class CustomCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void focusInEvent(QFocusEvent* event) override;
};
