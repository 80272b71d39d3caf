// Scrolling a focused field into view.
#include "controls/ScrollIntoView.h"

#include <QScrollArea>

void ScrollIntoView(QWidget* widget)
{
    for (QWidget* p = widget ? widget->parentWidget() : nullptr; p; p = p->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(p)) {
            area->ensureWidgetVisible(widget);
            return;
        }
    }
}
