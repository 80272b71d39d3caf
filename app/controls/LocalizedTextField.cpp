// Placeholder, focus scrolling and editing keys of the text field.
#include "controls/LocalizedTextField.h"

#include "controls/ScrollIntoView.h"

#include <QCoreApplication>
#include <QKeyEvent>

LocalizedTextField::LocalizedTextField(QWidget* parent) : QLineEdit(parent) {}

void LocalizedTextField::setLocalizedPlaceholder(const char* englishText)
{
    setPlaceholderText(QCoreApplication::translate("LocalizedTextField", englishText));
}

void LocalizedTextField::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    ScrollIntoView(this);
}

void LocalizedTextField::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
        const bool shift = mods & Qt::ShiftModifier;
        switch (event->key()) {
        case Qt::Key_A:
            if (!shift) {
                selectAll();
                return;
            }
            break;
        case Qt::Key_Z:
            if (shift) {
                if (isRedoAvailable())
                    redo();
            } else if (isUndoAvailable()) {
                undo();
            }
            return;
        case Qt::Key_X:
            if (!shift) {
                if (hasSelectedText())
                    cut();
                return;
            }
            break;
        case Qt::Key_C:
            if (!shift) {
                if (hasSelectedText())
                    copy();
                return;
            }
            break;
        case Qt::Key_V:
            if (!shift) {
                paste();
                return;
            }
            break;
        default:
            break;
        }
    }
    QLineEdit::keyPressEvent(event);
}
