// The recording thread's drain loop; see RecThread.h.
#include "capture/RecThread.h"

#include <vector>

#include "capture/AsioDataQueue.h"
#include "platform/Trace.h"
#include "storage/RecordData.h"

RecThread::RecThread() = default;

RecThread::~RecThread()
{
    Stop();
}

TkError RecThread::Start(IToolkitManager* engine, AsioDataQueue* queue, RecordData* recordData,
                         unsigned short channels)
{
    if (engine == nullptr || queue == nullptr || recordData == nullptr || channels == 0) {
        return TkErrorInvalidArgument;
    }
    if (Joinable()) {
        return TkErrorFailed;
    }
    ResetEvent();
    m_stop = false;
    m_engine = engine;
    m_queue = queue;
    m_recordData = recordData;
    m_channels = channels;
    m_rate = recordData->GetSampleRate();
    m_channel = 0;
    m_lastTenths = 0;
    m_bitsPerSample = recordData->GetBitsPerSample();
    m_cycle = 0;
    m_recordedSamples = recordData->GetLength(true);
    m_lastRoundRecorded = false;
    m_gapSamples = 0;
    return Create(PriorityHigh) ? TkErrorSuccess : TkErrorFailed;
}

void RecThread::Stop()
{
    if (!Joinable()) {
        return;
    }
    m_stop = true;
    SetEvent();
    Join();
}

void RecThread::AddDataNotify()
{
    if (Joinable()) {
        SetEvent();
    }
}

void RecThread::ThreadImpl()
{
    for (;;) {
        WaitEvent();
        if (!DrainQueue()) {
            m_stop = true;
        }
        m_engine->ConvertThread_AddDataNotify();
        if (m_stop) {
            return;
        }
    }
}

bool RecThread::DrainQueue()
{
    // Channels are taken strictly in the order 0..n-1 and the index waits on
    // an empty queue, so every channel receives the same sequence of buffers.
    std::vector<uint8_t> buffer;
    for (;;) {
        if (m_queue->Dequeue(m_channel, buffer) != TkErrorSuccess || buffer.empty()) {
            return true;
        }
        if (m_channel == 0 && m_bitsPerSample != 0) {
            m_gapSamples += m_queue->TakeGapBefore(m_cycle) * 8 / m_bitsPerSample;
        }
        if (m_recordData->Add(m_channel, buffer) != TkErrorSuccess) {
            ReportStoreFailure();
            return false;
        }
        if (++m_channel < m_channels) {
            continue;
        }
        m_channel = 0;
        RoundStored();
    }
}

void RecThread::RoundStored()
{
    ++m_cycle;
    // Recorded stream only, so paused stretches do not count.
    const uint64_t recorded = m_recordData->GetLength(true);
    const bool roundRecorded = recorded > m_recordedSamples;
    if (m_gapSamples != 0 && (roundRecorded || m_lastRoundRecorded) && m_rate != 0) {
        const double position = static_cast<double>(m_recordedSamples) / static_cast<double>(m_rate);
        TRACE("%llu samples per channel lost at %.3f s of the recording",
              static_cast<unsigned long long>(m_gapSamples), position);
        m_engine->NotifyDroppedAudio(position, m_gapSamples);
    }
    m_gapSamples = 0;
    m_lastRoundRecorded = roundRecorded;
    m_recordedSamples = recorded;
    m_engine->RoundStored(recorded, m_recordData->GetLength(false), m_rate);
    ReportStreamPosition(recorded);
}

void RecThread::ReportStreamPosition(uint64_t recordedSamples)
{
    if (m_rate == 0) {
        return;
    }
    const uint64_t tenths = recordedSamples * 1000 / (m_rate * 100);
    if (tenths != m_lastTenths) {
        m_lastTenths = tenths;
        m_engine->NotifyStreamPosProc(static_cast<double>(tenths) * 0.1);
    }
}

void RecThread::ReportStoreFailure()
{
    // A store fails when the temporary files cannot be written: the folder
    // vanished, or the disk is full (the recording limit of this machine).
    const bool folderExists = m_engine->IsTempDirectoryExists();
    TRACE("captured data could not be stored (temporary folder %s)", folderExists ? "present" : "missing");
    m_engine->NotifyErrorMessageProc(folderExists ? TkNotifyRecordingLimit : TkNotifyTempFolderUnusable,
                                     nullptr);
}
