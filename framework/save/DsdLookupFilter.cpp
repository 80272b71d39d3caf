// Table-driven evaluation of the re-modulation low-pass for one-bit input.
#include "save/DsdLookupFilter.h"

#include <algorithm>
#include <cstring>

#include "platform/CpuFeatures.h"
#include "save/DsdFilterTaps.h"

namespace {

constexpr int kHistoryBytes = DsdLookupFilter::kGroups - 1;
constexpr size_t kChunkBytes = 512;
static_assert(DsdLookupFilter::kGroups == 51, "the unrolled sum below reads 51 groups");

// Tables of partial sums, [group][byte value][phase], shared by all
// filters: the eight phases of one byte value lie together, so one byte
// read and two vector reads give its contribution to all eight outputs of
// an input byte.
// For the output at bit p (0 = most significant, earliest) of byte i, byte
// i - j contributes through its bit q (0 = most significant) with tap
// m = 8j + p - q, when 0 <= m < 400; taps outside that range (future bits
// of the current byte, bits older than 400 samples) contribute nothing.
struct LookupTables {
    std::vector<float> sums;

    LookupTables() : sums(size_t(DsdLookupFilter::kPhases) * DsdLookupFilter::kGroups * 256)
    {
        const auto& taps = RemodulationFilterTaps();
        for (int p = 0; p < DsdLookupFilter::kPhases; ++p) {
            for (int j = 0; j < DsdLookupFilter::kGroups; ++j) {
                for (int value = 0; value < 256; ++value) {
                    double sum = 0.0;
                    for (int q = 0; q < 8; ++q) {
                        const int m = 8 * j + p - q;
                        if (m < 0 || m >= kRemodulationTaps)
                            continue;
                        const bool one = (value >> (7 - q)) & 1;
                        sum += one ? taps[m] : -taps[m];
                    }
                    sums[(size_t(j) * 256 + size_t(value)) * DsdLookupFilter::kPhases + size_t(p)] =
                        static_cast<float>(sum);
                }
            }
        }
    }

    // The eight phases' sums for one group and byte value.
    const float* Entry(int group, uint8_t value) const
    {
        return &sums[(size_t(group) * 256 + value) * DsdLookupFilter::kPhases];
    }
};

const LookupTables& Tables()
{
    static const LookupTables tables;
    return tables;
}

typedef float Float8 __attribute__((vector_size(32)));

// The four partial sums of one output byte: group j goes to sum j % 4, and
// every sum takes its groups in ascending order, whichever way the groups
// are spread over the code; the total is (a + b) + (c + d).
struct PartialSums {
    Float8 sum[4] = {};

    [[gnu::always_inline]] void Add(const float* base, int group, uint8_t value)
    {
        Float8 entry;
        std::memcpy(&entry, base + (size_t(group) * 256 + value) * DsdLookupFilter::kPhases, sizeof entry);
        sum[group % 4] += entry;
    }
    [[gnu::always_inline]] void Total(Float8& total) const { total = (sum[0] + sum[1]) + (sum[2] + sum[3]); }
};

// Re-modulates the bytes of a chunk from the first one whose filter reaches
// back a whole window (all kGroups groups). newest points at that byte in
// the window; out receives the result bytes. The filter of byte k + 1 is
// spread over the eight modulator steps of byte k, so the table reads (which
// do not depend on the modulator) fill the time each step waits for the
// previous one. The filter of the byte after the last is formed from the
// window's spare byte and dropped.
[[gnu::always_inline]] inline void RemodulateSteadyBody(const uint8_t* newest, uint8_t* out, size_t count,
                                                        double gain, _dsm<double>& modulator)
{
    constexpr int kGroupsPerStep = (DsdLookupFilter::kGroups + 7) / 8;
    const float* base = Tables().sums.data();
    DsmRegisters registers(modulator);
    PartialSums first;
#pragma GCC unroll 64
    for (int j = 0; j < DsdLookupFilter::kGroups; ++j)
        first.Add(base, j, newest[-j]);
    Float8 y;
    first.Total(y);
    for (size_t k = 0; k < count; ++k) {
        alignas(32) float values[DsdLookupFilter::kPhases];
        std::memcpy(values, &y, sizeof values);
        const uint8_t* next = newest + k + 1;
        PartialSums sums;
        unsigned bits = 0;
#pragma GCC unroll 8
        for (int step = 0; step < DsdLookupFilter::kPhases; ++step) {
#pragma GCC unroll 8
            for (int i = 0; i < kGroupsPerStep; ++i) {
                const int j = step * kGroupsPerStep + i;
                if (j < DsdLookupFilter::kGroups)
                    sums.Add(base, j, next[-j]);
            }
            bits = (bits << 1) | registers.Step(gain * static_cast<double>(values[step]));
        }
        out[k] = uint8_t(bits);
        sums.Total(y);
    }
    registers.Store(modulator);
}

// The same loop compiled for 256-bit vectors, chosen at run time where the
// processor has them (UseWideVectors). The sums are the same per lane, so the
// results are too.
__attribute__((target("avx2"))) void RemodulateSteadyWide(const uint8_t* newest, uint8_t* out, size_t count,
                                                          double gain, _dsm<double>& modulator)
{
    RemodulateSteadyBody(newest, out, count, gain, modulator);
}

void RemodulateSteadyBasic(const uint8_t* newest, uint8_t* out, size_t count, double gain,
                           _dsm<double>& modulator)
{
    RemodulateSteadyBody(newest, out, count, gain, modulator);
}

void RemodulateSteady(const uint8_t* newest, uint8_t* out, size_t count, double gain, _dsm<double>& modulator)
{
    if (UseWideVectors())
        RemodulateSteadyWide(newest, out, count, gain, modulator);
    else
        RemodulateSteadyBasic(newest, out, count, gain, modulator);
}

} // namespace

// One spare byte after the chunk: the re-modulation reads one byte ahead.
DsdLookupFilter::DsdLookupFilter() : m_window(kHistoryBytes + kChunkBytes + 1, 0)
{
    Tables();
}

void DsdLookupFilter::Reset()
{
    std::fill(m_window.begin(), m_window.end(), uint8_t{0});
    m_bytesSeen = 0;
}

void DsdLookupFilter::Run(const uint8_t* bytes, size_t count, float* out)
{
    RunChunks(bytes, count, [this, &out](size_t n) {
        for (size_t k = 0; k < n; ++k)
            Output(k, out + 8 * k);
        out += 8 * n;
    });
}

void DsdLookupFilter::Remodulate(uint8_t* bytes, size_t count, double gain, _dsm<double>& modulator)
{
    // The window holds a copy of each chunk, so its bytes can be overwritten
    // by their re-modulated values as soon as they have been filtered.
    uint8_t* out = bytes;
    RunChunks(bytes, count, [&](size_t n) {
        // Outputs whose filter reaches back before the first input: one at a time.
        size_t k = 0;
        for (; k < n && m_bytesSeen + k < uint64_t(kHistoryBytes); ++k) {
            float y[kPhases];
            Output(k, y);
            DsmRegisters registers(modulator);
            unsigned bits = 0;
            for (int p = 0; p < kPhases; ++p)
                bits = (bits << 1) | registers.Step(gain * static_cast<double>(y[p]));
            registers.Store(modulator);
            out[k] = uint8_t(bits);
        }
        if (k < n)
            RemodulateSteady(&m_window[kHistoryBytes + k], out + k, n - k, gain, modulator);
        out += n;
    });
}

template <class ChunkDone>
void DsdLookupFilter::RunChunks(const uint8_t* bytes, size_t count, ChunkDone&& chunkDone)
{
    while (count > 0) {
        const size_t n = std::min(count, kChunkBytes);
        std::memcpy(&m_window[kHistoryBytes], bytes, n);
        chunkDone(n);
        // Keep the newest kHistoryBytes bytes as the next chunk's history.
        std::memmove(&m_window[0], &m_window[n], kHistoryBytes);
        m_bytesSeen += n;
        bytes += n;
        count -= n;
    }
}

void DsdLookupFilter::Output(size_t k, float* y) const
{
    const float* base = Tables().sums.data();
    const uint8_t* newest = m_window.data() + kHistoryBytes + k;
    Float8 sum;
    if (m_bytesSeen + k >= uint64_t(kHistoryBytes)) {
        PartialSums sums;
        for (int j = 0; j < kGroups; ++j)
            sums.Add(base, j, newest[-j]);
        sums.Total(sum);
    } else {
        // Near the start only the bytes since the first input count, in one sum.
        sum = Float8{};
        for (int j = 0; j <= int(m_bytesSeen + k); ++j) {
            Float8 entry;
            std::memcpy(&entry, base + (size_t(j) * 256 + newest[-j]) * kPhases, sizeof entry);
            sum += entry;
        }
    }
    std::memcpy(y, &sum, sizeof sum);
}
