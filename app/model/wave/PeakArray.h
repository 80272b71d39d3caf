// Fixed-capacity, append-only series of per-column peak pairs. One thread appends while
// others read: an entry is written before the length is published (release), and a reader
// reads the length once (acquire) and only touches entries below it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

struct PeakEntry {
    float maximum = 0.0f;
    float minimum = 0.0f;
};
static_assert(sizeof(PeakEntry) == 8, "a peak entry is two 32-bit floats");

class PeakArray {
public:
    PeakArray() = default; // no storage, capacity 0
    explicit PeakArray(uint32_t capacity);

    PeakArray(const PeakArray&) = delete;
    PeakArray& operator=(const PeakArray&) = delete;

    // Appends one entry; false (and nothing changed) once the capacity is reached.
    // Only one thread may append.
    bool addPeak(PeakEntry entry);
    // Entry at index; index must be below a length read earlier.
    PeakEntry at(uint32_t index) const { return m_peaks[index]; }
    uint32_t length() const { return m_wPtr.load(std::memory_order_acquire); }
    uint32_t size() const { return m_size; }

private:
    std::unique_ptr<PeakEntry[]> m_peaks;
    std::atomic<uint32_t> m_wPtr{0};
    uint32_t m_size = 0;
};
