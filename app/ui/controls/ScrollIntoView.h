// Asks the nearest enclosing scroll area to bring a widget that took focus into view.
#pragma once

class QWidget;

void ScrollIntoView(QWidget* widget);
