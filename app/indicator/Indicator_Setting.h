// Recording-format indicator, e.g. "PCM 44.1 kHz 16 bit"; a flat button that opens the settings.
#pragma once

#include <QPushButton>
#include <cstdint>

class Indicator_Setting : public QPushButton {
    Q_OBJECT
public:
    explicit Indicator_Setting(QWidget* parent = nullptr);
    void setFormat(const QString& format);
    void setSampleRate(uint64_t rate);
    void setBits(uint16_t bits);
    QString format() const { return m_format; }
    uint64_t sampleRate() const { return m_sampleRate; }
    uint16_t bits() const { return m_bits; }

    static QString RateText(uint64_t rate);

private:
    void updateString();
    QString m_format;
    uint64_t m_sampleRate = 0;
    uint16_t m_bits = 0;
};
