// Rate texts in kHz below 1 MHz and in MHz from there, with one decimal unless whole.
#include "settings/SamplingRateFormatter.h"

#include <cmath>

QString SamplingRateFormatter::TextForRate(uint64_t hz)
{
    const auto value = static_cast<unsigned long>(hz);
    if (hz >= 1000000) {
        if (hz % 1000000 == 0)
            return QString::asprintf("%lu MHz", value / 1000000);
        return QString::asprintf("%.1f MHz", static_cast<double>(hz) / 1000000.0);
    }
    if (hz % 1000 == 0)
        return QString::asprintf("%lu kHz", value / 1000);
    return QString::asprintf("%.1f kHz", static_cast<double>(hz) / 1000.0);
}

QString SamplingRateFormatter::stringForObjectValue(const QVariant& value)
{
    bool ok = false;
    const qulonglong hz = value.toULongLong(&ok);
    if (!ok || value.typeId() == QMetaType::QString)
        return QString();
    return TextForRate(hz);
}

std::optional<uint64_t> SamplingRateFormatter::RateForText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() != 2)
        return std::nullopt;
    bool ok = false;
    const double number = parts[0].toDouble(&ok);
    if (!ok || !std::isfinite(number) || number < 0.0)
        return std::nullopt;
    double factor = 0.0;
    if (parts[1] == QLatin1String("kHz"))
        factor = 1000.0;
    else if (parts[1] == QLatin1String("MHz"))
        factor = 1000000.0;
    else
        return std::nullopt;
    const double hz = number * factor;
    if (hz >= 18446744073709551615.0)
        return std::nullopt;
    return static_cast<uint64_t>(hz);
}
