// Time display drawing and its observation of the application state.
#include "indicator/Indicator_Time.h"

#include "control/ModeTimeManager.h"

#include <QPainter>
#include <algorithm>

Indicator_Time::Indicator_Time(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("indicatorTime"));
    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    connect(&mtm, &ModeTimeManager::currentTimeChanged, this, &Indicator_Time::setCurrentTime);
    connect(&mtm, &ModeTimeManager::totalTimeChanged, this, &Indicator_Time::setTotalTime);
}

QString Indicator_Time::FormatTime(double seconds)
{
    const long n = static_cast<long>(std::clamp(seconds, 0.0, 5999.9) * 10.0 + 0.5);
    return QString::asprintf("%ld%ld:%ld%ld.%ld0", n / 6000, (n / 600) % 10, (n / 100) % 6, (n / 10) % 10, n % 10);
}

void Indicator_Time::setCurrentTime(double seconds)
{
    if (seconds == m_currentTime)
        return;
    m_currentTime = seconds;
    update();
}

void Indicator_Time::setTotalTime(double seconds)
{
    if (seconds == m_totalTime)
        return;
    m_totalTime = seconds;
    update();
}

void Indicator_Time::setHideTotalTime(bool hide)
{
    if (hide == m_hideTotalTime)
        return;
    m_hideTotalTime = hide;
    update();
}

QString Indicator_Time::text() const
{
    QString t = FormatTime(m_currentTime);
    if (!m_hideTotalTime)
        t += QStringLiteral(" / ") + FormatTime(m_totalTime);
    return t;
}

void Indicator_Time::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QFont f(QStringLiteral("monospace"));
    f.setStyleHint(QFont::Monospace);
    f.setPixelSize(26);
    p.setFont(f);
    p.setPen(QColor(0x7F, 0xE0, 0xFF));
    p.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
}
