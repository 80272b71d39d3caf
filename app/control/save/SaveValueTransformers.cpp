// Duration text and check-state transformers of the write-to-files rows.
#include "save/SaveValueTransformers.h"

#include <cmath>

namespace {

bool IntegerForm(const QVariant& value, int& out)
{
    if (!value.isValid() || value.isNull())
        return false;
    bool ok = false;
    out = value.toInt(&ok);
    return ok;
}

} // namespace

QString DurationValueTransformer::format(double seconds)
{
    // NaN compares false everywhere and is shown as 0.
    const double clamped = seconds > kMaxShownDuration ? kMaxShownDuration : (seconds > 0.0 ? seconds : 0.0);
    const long tenths = static_cast<long>(std::floor(clamped * 10.0 + 0.5));
    return QString::asprintf("%02ld:%02ld.%ld0", tenths / 600, (tenths / 10) % 60, tenths % 10);
}

QVariant DurationValueTransformer::transformedValue(const QVariant& seconds)
{
    if (!seconds.isValid() || seconds.isNull())
        return {};
    bool ok = false;
    const double value = seconds.toDouble(&ok);
    if (!ok)
        return {};
    return format(value);
}

QVariant CellStateValueToBoolTransformer::transformedValue(const QVariant& state)
{
    int value = 0;
    if (!IntegerForm(state, value))
        return {};
    return value != 0;
}

QVariant CellStateValueToTextColorTransformer::transformedValue(const QVariant& state)
{
    int value = 0;
    if (!IntegerForm(state, value))
        return {};
    return QColor::fromRgb(value != 0 ? kControlTextColor : kDisabledControlTextColor);
}
