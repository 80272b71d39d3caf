// Click-through, focus-less label.
#include "controls/LabelTextField.h"

LabelTextField::LabelTextField(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LabelTextField::fitToText()
{
    resize(sizeHint());
}
