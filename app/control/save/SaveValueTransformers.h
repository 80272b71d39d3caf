// Value transformers of the write-to-files rows: the duration text and the enabling
// and text colour that follow a row's check box.
#pragma once

#include <QColor>
#include <QString>
#include <QVariant>

// Text colours of the dialogs' dark look.
inline constexpr QRgb kControlTextColor = 0xE5E5E5;
inline constexpr QRgb kDisabledControlTextColor = 0x6B7178;

// Longest duration shown: 99:59.9.
inline constexpr double kMaxShownDuration = 5999.9;

namespace DurationValueTransformer {
// Seconds as "MM:SS.T0", clamped to 0 ... 99:59.90; a value without a number form gives nothing.
QVariant transformedValue(const QVariant& seconds);
// The same for a plain number.
QString format(double seconds);
} // namespace DurationValueTransformer

namespace CellStateValueToBoolTransformer {
// A state other than 0 gives true (the row's fields are editable); no integer form gives nothing.
QVariant transformedValue(const QVariant& state);
} // namespace CellStateValueToBoolTransformer

namespace CellStateValueToTextColorTransformer {
// A state other than 0 gives the normal text colour, 0 the disabled one.
QVariant transformedValue(const QVariant& state);
} // namespace CellStateValueToTextColorTransformer
