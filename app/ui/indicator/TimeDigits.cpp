// Digits of the time display and the sequence of digit images.
#include "indicator/TimeDigits.h"

#include <algorithm>
#include <cmath>

std::array<int, 6> MakeDigits(double seconds)
{
    const double clamped = std::isnan(seconds) ? 0.0 : std::clamp(seconds, 0.0, 5999.9);
    const int n = static_cast<int>(clamped * 10.0 + 0.5);
    return {n / 6000, (n / 600) % 10, (n / 100) % 6, (n / 10) % 10, n % 10, 0};
}

namespace {

QString Digit(const char* size, int d)
{
    return QStringLiteral("timecode_%1_%2").arg(QLatin1String(size)).arg(d);
}

QString Sign(const char* size, const char* what)
{
    return QStringLiteral("timecode_%1_%2").arg(QLatin1String(size), QLatin1String(what));
}

} // namespace

QStringList TimeImageNames(double currentTime, double totalTime, bool hideTotal)
{
    const std::array<int, 6> c = MakeDigits(currentTime);
    QStringList names{Digit("L", c[0]), Digit("L", c[1]), Sign("L", "colon"), Digit("L", c[2]),
                      Digit("L", c[3]), Sign("L", "period"), Digit("M", c[4]), Digit("M", c[5])};
    if (hideTotal)
        return names;
    const std::array<int, 6> t = MakeDigits(totalTime);
    names << Sign("S", "slash") << Digit("S", t[0]) << Digit("S", t[1]) << Sign("S", "colon") << Digit("S", t[2])
          << Digit("S", t[3]) << Sign("S", "period") << Digit("S", t[4]) << Digit("S", t[5]);
    return names;
}
