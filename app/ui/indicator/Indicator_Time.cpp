// Time display drawing and its observation of the application state.
#include "indicator/Indicator_Time.h"

#include "state/ModeTimeManager.h"
#include "indicator/TimeDigits.h"

#include <QPainter>
#include <cmath>

namespace {

QString ReadingOf(const QString& imageName)
{
    const QString what = imageName.section(QLatin1Char('_'), 2);
    if (what == QLatin1String("colon"))
        return QStringLiteral(":");
    if (what == QLatin1String("period"))
        return QStringLiteral(".");
    if (what == QLatin1String("slash"))
        return QStringLiteral(" / ");
    return what;
}

} // namespace

Indicator_Time::Indicator_Time(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("indicatorTime"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    const char* const sizes[] = {"L", "M", "S"};
    for (const char* size : sizes) {
        QStringList names;
        for (int d = 0; d <= 9; ++d)
            names << QStringLiteral("timecode_%1_%2").arg(QLatin1String(size)).arg(d);
        names << QStringLiteral("timecode_%1_colon").arg(QLatin1String(size))
              << QStringLiteral("timecode_%1_period").arg(QLatin1String(size))
              << QStringLiteral("timecode_%1_slash").arg(QLatin1String(size));
        for (const QString& name : names) {
            Artwork art(name);
            if (!art.isNull())
                m_image.insert(name, art);
        }
    }
    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    connect(&mtm, &ModeTimeManager::currentTimeChanged, this, &Indicator_Time::setCurrentTime);
    connect(&mtm, &ModeTimeManager::totalTimeChanged, this, &Indicator_Time::setTotalTime);
}

const Artwork& Indicator_Time::image(const QString& name) const
{
    static const Artwork kNone;
    const auto it = m_image.constFind(name);
    return it == m_image.constEnd() ? kNone : it.value();
}

QString Indicator_Time::FormatTime(double seconds)
{
    QString text;
    for (const QString& name : TimeImageNames(seconds, 0.0, true))
        text += ReadingOf(name);
    return text;
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
    updateGeometry();
    update();
}

QString Indicator_Time::text() const
{
    QString t;
    for (const QString& name : TimeImageNames(m_currentTime, m_totalTime, m_hideTotalTime))
        t += ReadingOf(name);
    return t;
}

QSize Indicator_Time::sizeHint() const
{
    // Room for the widest reading: the total time is always reserved so that the layout
    // does not shift between the modes.
    double width = 0.0;
    double height = 0.0;
    for (const QString& name : TimeImageNames(0.0, 0.0, false)) {
        const QSizeF s = image(name).size();
        width += s.width();
        height = std::max(height, s.height());
    }
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

void Indicator_Time::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    double x = 0.0;
    for (const QString& name : TimeImageNames(m_currentTime, m_totalTime, m_hideTotalTime)) {
        const Artwork& art = image(name);
        if (art.isNull())
            continue;
        // Digits of every size stand on a common baseline at the bottom.
        art.draw(p, QPointF(x, height() - art.size().height()));
        x += art.size().width();
    }
}
