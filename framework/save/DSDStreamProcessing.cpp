// Gain re-modulation of one channel's one-bit stream.
#include "save/DSDStreamProcessing.h"

#include <algorithm>
#include <cmath>

#include "save/DsdBitReverse.h"

DSDStreamProcessing::DSDStreamProcessing(DsdFilterForm form) : m_form(form) {}

int DSDStreamProcessing::Init(int32_t sampleRate, int32_t bitOrder)
{
    m_sampleRate = sampleRate;
    m_bitOrder = bitOrder;
    m_modulator = _dsm<double>{};
    m_filter.init();
    m_lookup.Reset();
    m_initialized = true;
    return kResultOk;
}

int DSDStreamProcessing::SetGain(float dB)
{
    if (!m_initialized)
        return kResultNotInitialized;
    m_gain = std::pow(10.0f, dB / 20.0f);
    return kResultOk;
}

int DSDStreamProcessing::Process(uint8_t* bytes, size_t count)
{
    if (!m_initialized)
        return kResultNotInitialized;
    if (m_gain == 1.0f || bytes == nullptr || count == 0)
        return kResultOk;

    // The processing runs with the earliest sample in the most significant bit.
    if (m_bitOrder == kBitOrderLsbFirst)
        ReverseBitsInPlace(bytes, count);
    if (m_form == DsdFilterForm::Direct)
        ProcessDirect(bytes, count);
    else
        ProcessLookup(bytes, count);
    if (m_bitOrder == kBitOrderLsbFirst)
        ReverseBitsInPlace(bytes, count);
    return kResultOk;
}

void DSDStreamProcessing::ProcessDirect(uint8_t* bytes, size_t count)
{
    const double high = static_cast<double>(m_gain);
    for (size_t i = 0; i < count; ++i) {
        const unsigned in = bytes[i];
        unsigned out = 0;
        for (int bit = 7; bit >= 0; --bit) {
            const double x = ((in >> bit) & 1u) ? high : -high;
            const int32_t v = dsm(m_modulator, m_filter.sample(x));
            out = (out << 1) | static_cast<unsigned>((v + 1) / 2);
        }
        bytes[i] = static_cast<uint8_t>(out);
    }
}

void DSDStreamProcessing::ProcessLookup(uint8_t* bytes, size_t count)
{
    m_lookup.Remodulate(bytes, count, static_cast<double>(m_gain), m_modulator);
}
