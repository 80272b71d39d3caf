#include "XKeyboard.h"

#include <QStringList>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <vector>

XKeyboard::XKeyboard() : m_display(XOpenDisplay(nullptr))
{
    int event = 0, error = 0, major = 0, minor = 0;
    if (m_display && !XTestQueryExtension(m_display, &event, &error, &major, &minor)) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
}

XKeyboard::~XKeyboard()
{
    if (m_display)
        XCloseDisplay(m_display);
}

void XKeyboard::key(unsigned long keysym, bool down)
{
    const KeyCode code = XKeysymToKeycode(m_display, keysym);
    if (code != 0)
        XTestFakeKeyEvent(m_display, code, down ? True : False, CurrentTime);
}

void XKeyboard::press(const QString& chord)
{
    if (!m_display)
        return;
    std::vector<unsigned long> keys;
    for (const QString& name : chord.split(QLatin1Char('+'))) {
        if (name == QLatin1String("ctrl"))
            keys.push_back(XK_Control_L);
        else if (name == QLatin1String("shift"))
            keys.push_back(XK_Shift_L);
        else if (name == QLatin1String("alt"))
            keys.push_back(XK_Alt_L);
        else
            keys.push_back(XStringToKeysym(name.toLatin1().constData()));
    }
    for (unsigned long k : keys)
        key(k, true);
    for (auto k = keys.rbegin(); k != keys.rend(); ++k)
        key(*k, false);
    XSync(m_display, False);
}

void XKeyboard::type(const QString& text)
{
    for (const QChar c : text) {
        if (c == QLatin1Char(' '))
            press(QStringLiteral("space"));
        else if (c.isUpper())
            press(QStringLiteral("shift+") + c.toLower());
        else
            press(QString(c));
    }
}
