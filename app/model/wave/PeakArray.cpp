// Append-only peak series with release/acquire publication of its length.
#include "wave/PeakArray.h"

PeakArray::PeakArray(uint32_t capacity) : m_peaks(new PeakEntry[capacity]), m_size(capacity) {}

bool PeakArray::addPeak(PeakEntry entry)
{
    // Only the appending thread writes the length, so a relaxed read of it is enough here.
    const uint32_t written = m_wPtr.load(std::memory_order_relaxed);
    if (written >= m_size)
        return false;
    m_peaks[written] = entry;
    m_wPtr.store(written + 1, std::memory_order_release);
    return true;
}
