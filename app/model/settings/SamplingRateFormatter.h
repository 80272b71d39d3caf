// Sampling frequencies as the settings dialog lists them: "44.1 kHz", "48 kHz", "2.8 MHz",
// and back from such a text.
#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

class SamplingRateFormatter {
public:
    // Text for a number; any other value gives no text.
    static QString stringForObjectValue(const QVariant& value);
    static QString TextForRate(uint64_t hz);
    // "<decimal> kHz" or "<decimal> MHz", truncated to whole hertz; anything else is refused.
    static std::optional<uint64_t> RateForText(const QString& text);
};
