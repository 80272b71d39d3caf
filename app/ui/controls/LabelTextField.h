// A label that never takes focus and lets clicks through to the view behind it.
#pragma once

#include <QLabel>

class LabelTextField : public QLabel {
    Q_OBJECT
public:
    explicit LabelTextField(const QString& text = QString(), QWidget* parent = nullptr);
    // Sizes the label to its text.
    void fitToText();
};
