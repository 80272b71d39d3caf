// Worker thread that re-modulates the blocks of one DSD channel, so that the
// channels of a block group are processed in parallel. The writer hands a
// block over with RunProcess and collects it with WaitProcess; the two
// always alternate. Event 0 means work given, event 1 work done.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "interface/cartova.h"
#include "save/DSDStreamProcessing.h"
#include "thread/ThreadBase.h"

class DSDStreamProcessingThread : public ThreadBase {
public:
    explicit DSDStreamProcessingThread(DsdFilterForm form = DsdFilterForm::Lookup);
    ~DSDStreamProcessingThread() override;

    // -3 if the thread still runs or cannot be created; else sets up this
    // channel's processor (silent filter and modulator, the gain) and starts
    // the thread, 0.
    TkError Start(int32_t sampleRate, int32_t bitOrder, float gainDb);
    // Hands bytes[0, count) to the thread for processing in place. Ignored
    // unless the thread runs and no block is outstanding.
    void RunProcess(uint8_t* bytes, uint32_t count);
    // Waits until the outstanding block is processed. Nothing to do unless
    // the thread runs and a block is outstanding.
    void WaitProcess();
    // Stops and joins the thread; nothing to do if it does not run.
    void Stop();

protected:
    void ThreadImpl() override;

private:
    static constexpr unsigned kEventWorkGiven = 0;
    static constexpr unsigned kEventWorkDone = 1;

    std::atomic<bool> m_stopRequested{false};
    bool m_busy = false; // touched by the handing-over thread only
    int32_t m_sampleRate = 0;
    int32_t m_bitOrder = 0;
    float m_gainDb = 0.0f;
    // Written before event 0 is set, read by the worker after it waited for
    // it: the event's mutex orders the accesses.
    uint8_t* m_data = nullptr;
    uint32_t m_length = 0;
    DSDStreamProcessing m_processor;
};
