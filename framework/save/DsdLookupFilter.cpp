// Table-driven evaluation of the re-modulation low-pass for one-bit input.
#include "save/DsdLookupFilter.h"

#include <algorithm>
#include <cstring>

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

} // namespace

DsdLookupFilter::DsdLookupFilter() : m_window(kHistoryBytes + kChunkBytes, 0)
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
    while (count > 0) {
        const size_t n = std::min(count, kChunkBytes);
        std::memcpy(&m_window[kHistoryBytes], bytes, n);
        RunChunk(n, out);
        // Keep the newest kHistoryBytes bytes as the next chunk's history.
        std::memmove(&m_window[0], &m_window[n], kHistoryBytes);
        m_bytesSeen += n;
        bytes += n;
        out += 8 * n;
        count -= n;
    }
}

void DsdLookupFilter::RunChunk(size_t count, float* out)
{
    typedef float Float4 __attribute__((vector_size(16)));
    const LookupTables& tables = Tables();
    const uint8_t* window = m_window.data();
    const float* base = tables.sums.data();

    // Adds the eight phases' sums of group j for byte value v to lo (phases
    // 0-3) and hi (phases 4-7).
    const auto add = [base](Float4& lo, Float4& hi, int j, uint8_t v) {
        const float* entry = base + (size_t(j) * 256 + v) * kPhases;
        Float4 a, b;
        std::memcpy(&a, entry, sizeof a);
        std::memcpy(&b, entry + 4, sizeof b);
        lo += a;
        hi += b;
    };

    for (size_t k = 0; k < count; ++k) {
        const uint8_t* newest = window + kHistoryBytes + k;
        const uint64_t byteIndex = m_bytesSeen + k;
        Float4 lo, hi;
        if (byteIndex >= uint64_t(kHistoryBytes)) {
            // Four partial sums per phase keep the additions independent;
            // every phase adds its terms in the same order as a scalar sum would.
            Float4 aLo = {}, aHi = {}, bLo = {}, bHi = {}, cLo = {}, cHi = {}, dLo = {}, dHi = {};
#pragma GCC unroll 16
            for (int j = 0; j < kGroups - 3; j += 4) {
                add(aLo, aHi, j, newest[-j]);
                add(bLo, bHi, j + 1, newest[-(j + 1)]);
                add(cLo, cHi, j + 2, newest[-(j + 2)]);
                add(dLo, dHi, j + 3, newest[-(j + 3)]);
            }
            // kGroups = 51: groups 48, 49 and 50 remain.
            add(aLo, aHi, 48, newest[-48]);
            add(bLo, bHi, 49, newest[-49]);
            add(cLo, cHi, 50, newest[-50]);
            lo = (aLo + bLo) + (cLo + dLo);
            hi = (aHi + bHi) + (cHi + dHi);
        } else {
            // Near the start only the bytes since the first input count.
            lo = Float4{};
            hi = Float4{};
            for (int j = 0; j <= int(byteIndex); ++j)
                add(lo, hi, j, newest[-j]);
        }
        std::memcpy(out + 8 * k, &lo, sizeof lo);
        std::memcpy(out + 8 * k + 4, &hi, sizeof hi);
    }
}
