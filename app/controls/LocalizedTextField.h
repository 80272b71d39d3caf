// Text field with a localised placeholder that scrolls itself into view when it takes
// focus and carries the editing shortcuts (select all, undo, redo, cut, copy, paste)
// itself, so they work in dialogs without an Edit menu.
#pragma once

#include <QLineEdit>

class LocalizedTextField : public QLineEdit {
    Q_OBJECT
public:
    explicit LocalizedTextField(QWidget* parent = nullptr);
    // The placeholder, looked up in the localisation table with the English text as key.
    void setLocalizedPlaceholder(const char* englishText);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
