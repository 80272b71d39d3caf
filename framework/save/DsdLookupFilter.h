// Lookup form of the 400-tap re-modulation low-pass for one-bit input. Every
// input sample is +1 or -1, so the contribution of one input byte to one
// output is one of 256 precomputed sums. An output at bit p of byte i needs
// bytes i - 50 ... i; the tables hold, per bit position p (8) and byte
// distance j (51), the sum of the taps that fall on that byte, so an output
// costs 51 table reads instead of 400 multiplications. The result equals
// the direct form up to single-precision rounding, with the same zero
// history before the first input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "save/DsdModulator.h"

class DsdLookupFilter {
public:
    // Byte distances an output reaches back: 400 taps over whole bytes.
    static constexpr int kGroups = 51;
    static constexpr int kPhases = 8;

    DsdLookupFilter();

    // Forgets all inputs: the history is silent (zero), as at the start of a file.
    void Reset();

    // Filters count bytes of one-bit input, earliest sample in the most
    // significant bit, with unit input amplitude (a 1 bit is +1, a 0 bit -1).
    // Writes 8 x count outputs to out, in time order.
    void Run(const uint8_t* bytes, size_t count, float* out);

    // Filters count bytes like Run and passes each output, times gain, through
    // modulator at once, overwriting each byte with its eight output bits
    // (earliest in the most significant bit). One pass over the bytes, so the
    // table sums of one byte overlap the modulator steps of the one before.
    void Remodulate(uint8_t* bytes, size_t count, double gain, _dsm<double>& modulator);

private:
    // Copies the bytes into the window chunk by chunk and calls chunkDone(n)
    // for each chunk of n bytes.
    template <class ChunkDone>
    void RunChunks(const uint8_t* bytes, size_t count, ChunkDone&& chunkDone);
    // The eight outputs of the current chunk's byte k, earliest first.
    void Output(size_t k, float* y) const;

    // The last kGroups - 1 input bytes, the bytes of the chunk being
    // filtered, and one spare byte.
    std::vector<uint8_t> m_window;
    // Input bytes seen since Reset, to leave out bytes before the first input.
    uint64_t m_bytesSeen = 0;
};
