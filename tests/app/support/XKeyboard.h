// Key presses sent to the X server as a keyboard sends them (the XTEST extension): they
// reach whichever window has the input focus and go through the whole toolkit, menu
// shortcuts included. Nothing reaches a window that does not have the focus, which is
// exactly what the tests of the keyboard need to see.
#pragma once

#include <QString>

struct _XDisplay;

class XKeyboard {
public:
    XKeyboard();  // the display of $DISPLAY
    ~XKeyboard();
    XKeyboard(const XKeyboard&) = delete;
    XKeyboard& operator=(const XKeyboard&) = delete;

    bool isAvailable() const { return m_display != nullptr; }
    // One chord: key names joined by "+", modifiers first ("ctrl+m", "ctrl+period",
    // "Return", "ctrl+Right"); key names are X key symbol names.
    void press(const QString& chord);
    // Letters, digits and spaces, as typed.
    void type(const QString& text);

private:
    void key(unsigned long keysym, bool down);

    _XDisplay* m_display = nullptr;
};
