// Focus scrolling of the check box.
#include "controls/CustomCheckBox.h"

#include "controls/ScrollIntoView.h"

void CustomCheckBox::focusInEvent(QFocusEvent* event)
{
    QCheckBox::focusInEvent(event);
    ScrollIntoView(this);
}
