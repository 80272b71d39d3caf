// Capture target that keeps every buffer per channel, for the splitter tests.
#pragma once

#include <map>
#include <vector>

#include "capture/ICaptureTarget.h"

class FakeCaptureTarget : public ICaptureTarget {
public:
    TkError Enqueue(unsigned short channel, std::vector<uint8_t>&& buffer) override
    {
        buffers[channel].push_back(std::move(buffer));
        order.push_back(channel);
        return TkErrorSuccess;
    }
    void RecThread_AddDataNotify() override { ++wakeUps; }

    std::map<unsigned short, std::vector<std::vector<uint8_t>>> buffers;
    std::vector<unsigned short> order;
    int wakeUps = 0;
};
