// One channel's re-modulation worker.
#include "save/DSDStreamProcessingThread.h"

DSDStreamProcessingThread::DSDStreamProcessingThread(DsdFilterForm form)
    : ThreadBase(2), m_processor(form)
{
}

DSDStreamProcessingThread::~DSDStreamProcessingThread()
{
    Stop();
}

TkError DSDStreamProcessingThread::Start(int32_t sampleRate, int32_t bitOrder, float gainDb)
{
    if (Joinable())
        return TkErrorFailed;
    ResetEvent(kEventWorkGiven);
    ResetEvent(kEventWorkDone);
    m_stopRequested = false;
    m_busy = false;
    m_data = nullptr;
    m_length = 0;
    m_sampleRate = sampleRate;
    m_bitOrder = bitOrder;
    m_gainDb = gainDb;
    m_processor.Init(sampleRate, bitOrder);
    m_processor.SetGain(gainDb);
    return Create(PriorityHigh) ? TkErrorSuccess : TkErrorFailed;
}

void DSDStreamProcessingThread::RunProcess(uint8_t* bytes, uint32_t count)
{
    if (!Joinable() || m_busy)
        return;
    m_data = bytes;
    m_length = count;
    m_busy = true;
    SetEvent(kEventWorkGiven);
}

void DSDStreamProcessingThread::WaitProcess()
{
    if (!Joinable() || !m_busy)
        return;
    WaitEvent(kEventWorkDone);
    m_busy = false;
}

void DSDStreamProcessingThread::Stop()
{
    if (!Joinable())
        return;
    m_stopRequested = true;
    SetEvent(kEventWorkGiven);
    Join();
    m_busy = false;
}

void DSDStreamProcessingThread::ThreadImpl()
{
    while (!m_stopRequested) {
        WaitEvent(kEventWorkGiven);
        if (m_stopRequested)
            break;
        if (m_data != nullptr && m_length != 0)
            m_processor.Process(m_data, m_length);
        m_data = nullptr;
        m_length = 0;
        SetEvent(kEventWorkDone);
    }
}
