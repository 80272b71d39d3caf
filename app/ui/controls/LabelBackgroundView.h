// Dark rounded panel (radius 4, 0x1A1A1A) behind a group of labels.
#pragma once

#include <QWidget>

class LabelBackgroundView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
