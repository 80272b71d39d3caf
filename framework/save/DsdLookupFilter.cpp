// Table-driven evaluation of the re-modulation low-pass for one-bit input.
#include "save/DsdLookupFilter.h"

#include <algorithm>
#include <cstring>

#include "save/DsdFilterTaps.h"

namespace {

constexpr int kHistoryBytes = DsdLookupFilter::kGroups - 1;
constexpr size_t kChunkBytes = 512;
static_assert(DsdLookupFilter::kGroups == 51, "the unrolled sum below reads 51 groups");

// Tables of partial sums, [phase][group][byte value], shared by all filters.
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
                float* row = &sums[(size_t(p) * DsdLookupFilter::kGroups + j) * 256];
                for (int value = 0; value < 256; ++value) {
                    double sum = 0.0;
                    for (int q = 0; q < 8; ++q) {
                        const int m = 8 * j + p - q;
                        if (m < 0 || m >= kRemodulationTaps)
                            continue;
                        const bool one = (value >> (7 - q)) & 1;
                        sum += one ? taps[m] : -taps[m];
                    }
                    row[value] = static_cast<float>(sum);
                }
            }
        }
    }

    const float* Row(int phase, int group) const
    {
        return &sums[(size_t(phase) * DsdLookupFilter::kGroups + group) * 256];
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
    const LookupTables& tables = Tables();
    const uint8_t* window = m_window.data();

    for (int p = 0; p < kPhases; ++p) {
        // Rows of one phase lie 256 entries apart, so every read is the
        // phase's base plus a constant offset plus the byte value.
        const float* rows = tables.Row(p, 0);

        for (size_t k = 0; k < count; ++k) {
            const uint8_t* newest = window + kHistoryBytes + k;
            const uint64_t byteIndex = m_bytesSeen + k;
            float sum;
            if (byteIndex >= uint64_t(kHistoryBytes)) {
                // Four partial sums keep the additions independent.
                float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;
#pragma GCC unroll 16
                for (int j = 0; j < kGroups - 3; j += 4) {
                    a += rows[j * 256 + newest[-j]];
                    b += rows[(j + 1) * 256 + newest[-(j + 1)]];
                    c += rows[(j + 2) * 256 + newest[-(j + 2)]];
                    d += rows[(j + 3) * 256 + newest[-(j + 3)]];
                }
                // kGroups = 51: groups 48, 49 and 50 remain.
                a += rows[48 * 256 + newest[-48]];
                b += rows[49 * 256 + newest[-49]];
                c += rows[50 * 256 + newest[-50]];
                sum = (a + b) + (c + d);
            } else {
                // Near the start only the bytes since the first input count.
                sum = 0.0f;
                for (int j = 0; j <= int(byteIndex); ++j)
                    sum += rows[j * 256 + newest[-j]];
            }
            out[8 * k + p] = sum;
        }
    }
}
