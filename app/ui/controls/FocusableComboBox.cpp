// Focus policy of the combo box following its enabled state.
#include "controls/FocusableComboBox.h"

#include <QEvent>

FocusableComboBox::FocusableComboBox(QWidget* parent) : QComboBox(parent)
{
    applyFocusPolicy();
}

void FocusableComboBox::changeEvent(QEvent* event)
{
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        applyFocusPolicy();
}

void FocusableComboBox::applyFocusPolicy()
{
    setFocusPolicy(isEnabled() ? Qt::StrongFocus : Qt::NoFocus);
}
