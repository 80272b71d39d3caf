// Capture target for the splitter tests: a real capture queue (initialised
// on the first cycle with the cycle's channel count and `capacity` bytes per
// slot) whose cycles are taken out at once and kept per channel.
#pragma once

#include <map>
#include <vector>

#include "capture/AsioDataQueue.h"
#include "capture/ICaptureTarget.h"

class FakeCaptureTarget : public ICaptureTarget {
public:
    explicit FakeCaptureTarget(size_t capacity = 4096) : m_capacity(capacity) {}

    size_t CycleCapacity() override { return m_capacity; }
    TkError BeginCycle(unsigned short channels, size_t bytesPerChannel,
                       CaptureCycle*& cycle) override
    {
        if (queue.GetChannels() == 0) {
            queue.Init(channels, m_capacity);
        }
        return queue.BeginCycle(channels, bytesPerChannel, cycle);
    }
    void CommitCycle() override
    {
        queue.CommitCycle();
        const CaptureCycle* cycle = queue.Front();
        ++cycles;
        for (unsigned short c = 0; c < cycle->Channels(); ++c) {
            buffers[c].emplace_back(cycle->Data(c), cycle->Data(c) + cycle->Size(c));
            order.push_back(c);
        }
        queue.PopFront();
    }
    void RecThread_AddDataNotify() override { ++wakeUps; }

    AsioDataQueue queue;
    std::map<unsigned short, std::vector<std::vector<uint8_t>>> buffers;
    std::vector<unsigned short> order;
    int cycles = 0;
    int wakeUps = 0;

private:
    size_t m_capacity;
};
