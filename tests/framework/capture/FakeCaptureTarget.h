// Capture target that keeps every buffer per channel, for the splitter tests.
#pragma once

#include <map>
#include <vector>

#include "capture/ICaptureTarget.h"

class FakeCaptureTarget : public ICaptureTarget {
public:
    TkError EnqueueCycle(std::vector<std::vector<uint8_t>>&& channels) override
    {
        ++cycles;
        for (size_t c = 0; c < channels.size(); ++c) {
            buffers[static_cast<unsigned short>(c)].push_back(std::move(channels[c]));
            order.push_back(static_cast<unsigned short>(c));
        }
        return TkErrorSuccess;
    }
    void RecThread_AddDataNotify() override { ++wakeUps; }

    std::map<unsigned short, std::vector<std::vector<uint8_t>>> buffers;
    std::vector<unsigned short> order;
    int cycles = 0;
    int wakeUps = 0;
};
