// Recording-format indicator, e.g. "DSD 2.8 MHz 1 bit": the format in bold, the parts
// kept apart by kerning rather than spaces. A button that opens the settings.
#pragma once

#include "controls/CustomButton.h"

#include <cstdint>

class Indicator_Setting : public CustomButton {
    Q_OBJECT
public:
    static constexpr double kPartKerning = 6.0;
    static constexpr int kFontPixels = 14;

    explicit Indicator_Setting(QWidget* parent = nullptr);
    void setFormat(const QString& format);
    void setSampleRate(uint64_t rate);
    void setBits(uint16_t bits);
    QString format() const { return m_format; }
    uint64_t sampleRate() const { return m_sampleRate; }
    uint16_t bits() const { return m_bits; }

    // "44.1 kHz", "48 kHz", "2.8 MHz".
    static QString RateText(uint64_t rate);
    // The three parts of the title: format, rate text and bits text.
    QStringList titleParts() const;
    QSize sizeHint() const override;

protected:
    void drawImage(QPainter& painter, const QRectF& frame) override;
    void drawTitle(QPainter& painter, const QRectF& frame) override;

private:
    void updateString();
    QFont partFont(bool bold) const;
    double titleWidth() const;

    QString m_format;
    uint64_t m_sampleRate = 0;
    uint16_t m_bits = 0;
};
