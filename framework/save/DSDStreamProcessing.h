// Applies a gain to a one-bit DSD stream of one channel: every sample becomes
// +gain or -gain, the 400-tap low-pass turns the stream into a multi-bit
// signal, and the fifth-order modulator turns that back into one bit per
// sample at the same rate. Filter and modulator states carry over from one
// call to the next, so consecutive blocks form one continuous stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "save/DsdFirFilter.h"
#include "save/DsdLookupFilter.h"
#include "save/DsdModulator.h"

// How the low-pass is evaluated: Lookup (the default) reads precomputed sums
// per input byte; Direct is the plain 400-tap form, kept as the reference.
enum class DsdFilterForm { Lookup, Direct };

class DSDStreamProcessing {
public:
    static constexpr int kResultOk = 0;
    static constexpr int kResultNotInitialized = 3;
    // bitOrder 1: the earliest sample of a byte is its least significant bit.
    static constexpr int32_t kBitOrderLsbFirst = 1;

    explicit DSDStreamProcessing(DsdFilterForm form = DsdFilterForm::Lookup);
    virtual ~DSDStreamProcessing() = default;

    // Stores rate and bit order, silences filter and modulator. Always 0.
    int Init(int32_t sampleRate, int32_t bitOrder);
    // gain = 10^(dB / 20) in single precision. 3 before Init, else 0.
    int SetGain(float dB);
    // Re-modulates count bytes in place. A gain of exactly 1 (0 dB) leaves
    // them untouched. 3 before Init, else 0.
    int Process(uint8_t* bytes, size_t count);

    float Gain() const { return m_gain; }
    const _dsm<double>& Modulator() const { return m_modulator; }

private:
    void ProcessDirect(uint8_t* bytes, size_t count);
    void ProcessLookup(uint8_t* bytes, size_t count);

    DsdFilterForm m_form;
    bool m_initialized = false;
    int32_t m_sampleRate = 0;
    int32_t m_bitOrder = 0;
    float m_gain = 1.0f;
    _dsm<double> m_modulator;
    fir_filter m_filter;
    DsdLookupFilter m_lookup;
};
