// The capture queue's ring of cycle slots; see AsioDataQueue.h.
#include "capture/AsioDataQueue.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kWordBytes = 4;

} // namespace

TkError AsioDataQueue::Init(unsigned short channels, size_t cycleBytes, size_t slots)
{
    if (channels == 0 || cycleBytes == 0) {
        return TkErrorInvalidArgument;
    }
    const size_t capacity = (cycleBytes + kWordBytes - 1) / kWordBytes * kWordBytes;
    if (slots == 0) {
        slots = std::clamp<size_t>(static_cast<size_t>(kQueueLimitBytes / capacity), kMinSlots,
                                   kMaxSlots);
    }
    // Value-initialised: every page is written here, not first on the IO thread.
    std::vector<uint8_t>(slots * channels * capacity).swap(m_storage);
    std::vector<size_t>(slots * channels).swap(m_sizes);
    m_slots.assign(slots, CaptureCycle{});
    for (size_t s = 0; s < slots; ++s) {
        CaptureCycle& slot = m_slots[s];
        slot.m_data = m_storage.data() + s * channels * capacity;
        slot.m_sizes = m_sizes.data() + s * channels;
        slot.m_capacity = capacity;
        slot.m_channels = channels;
    }
    m_channels = channels;
    m_cycleBytes = capacity;
    m_begun = false;
    m_written.store(0, std::memory_order_relaxed);
    m_taken.store(0, std::memory_order_relaxed);
    m_pendingGap.store(0, std::memory_order_release);
    return TkErrorSuccess;
}

TkError AsioDataQueue::BeginCycle(unsigned short channels, size_t bytesPerChannel,
                                  CaptureCycle*& cycle)
{
    cycle = nullptr;
    m_begun = false;
    if (channels != m_channels || m_slots.empty() || bytesPerChannel > m_cycleBytes) {
        return TkErrorInvalidArgument;
    }
    const uint64_t written = m_written.load(std::memory_order_relaxed);
    if (written - m_taken.load(std::memory_order_acquire) >= m_slots.size()) {
        AddGap(bytesPerChannel);
        return TkErrorFailed;
    }
    CaptureCycle& slot = m_slots[written % m_slots.size()];
    std::fill(slot.m_sizes, slot.m_sizes + m_channels, size_t{0});
    slot.m_gapBefore = 0;
    m_begun = true;
    cycle = &slot;
    return TkErrorSuccess;
}

void AsioDataQueue::CommitCycle()
{
    if (!m_begun) {
        return;
    }
    m_begun = false;
    const uint64_t written = m_written.load(std::memory_order_relaxed);
    m_slots[written % m_slots.size()].m_gapBefore =
        m_pendingGap.exchange(0, std::memory_order_acq_rel);
    m_written.store(written + 1, std::memory_order_release);
}

TkError AsioDataQueue::EnqueueCycle(const std::vector<std::vector<uint8_t>>& buffers)
{
    if (buffers.size() != m_channels || buffers.empty()) {
        return TkErrorInvalidArgument;
    }
    size_t longest = 0;
    for (const auto& buffer : buffers) {
        longest = std::max(longest, buffer.size());
    }
    CaptureCycle* cycle = nullptr;
    const TkError result = BeginCycle(m_channels, longest, cycle);
    if (result != TkErrorSuccess) {
        return result;
    }
    for (unsigned short c = 0; c < m_channels; ++c) {
        if (!buffers[c].empty()) {
            std::memcpy(cycle->Data(c), buffers[c].data(), buffers[c].size());
        }
        cycle->SetSize(c, buffers[c].size());
    }
    CommitCycle();
    return TkErrorSuccess;
}

void AsioDataQueue::AddGap(uint64_t bytesPerChannel)
{
    m_pendingGap.fetch_add(bytesPerChannel, std::memory_order_acq_rel);
}

size_t AsioDataQueue::QueuedCount() const
{
    const uint64_t taken = m_taken.load(std::memory_order_acquire);
    return static_cast<size_t>(m_written.load(std::memory_order_acquire) - taken);
}

const CaptureCycle* AsioDataQueue::Front()
{
    const uint64_t taken = m_taken.load(std::memory_order_relaxed);
    if (m_slots.empty() || m_written.load(std::memory_order_acquire) == taken) {
        return nullptr;
    }
    return &m_slots[taken % m_slots.size()];
}

void AsioDataQueue::PopFront()
{
    const uint64_t taken = m_taken.load(std::memory_order_relaxed);
    if (m_written.load(std::memory_order_acquire) == taken) {
        return;
    }
    m_taken.store(taken + 1, std::memory_order_release);
}
