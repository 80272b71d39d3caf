// The recording thread's drain loop; see RecThread.h.
#include "capture/RecThread.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include "capture/AsioDataQueue.h"
#include "platform/Trace.h"
#include "recovery/DurableIo.h"
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
    m_lastTenths = 0;
    m_bitsPerSample = recordData->GetBitsPerSample();
    m_recordedSamples = recordData->GetLength(true);
    m_lastRoundRecorded = false;
    m_gapSamples = 0;
    m_syncedCaptured = 0;
    if (!Create(PriorityHigh)) {
        return TkErrorFailed;
    }
    m_running = true;
    return TkErrorSuccess;
}

void RecThread::Stop()
{
    if (!Joinable()) {
        return;
    }
    m_running = false;
    m_stop = true;
    SetEvent();
    Join();
}

void RecThread::AddDataNotify()
{
    if (m_running.load(std::memory_order_acquire)) {
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
            SyncToDisk();
            return;
        }
    }
}

bool RecThread::DrainQueue()
{
    // A cycle holds every channel, so every channel receives the same
    // sequence of buffers; its slot goes back to the IO thread only once
    // all of them are stored.
    for (;;) {
        const CaptureCycle* cycle = m_queue->Front();
        if (cycle == nullptr) {
            return true;
        }
        if (m_bitsPerSample != 0) {
            m_gapSamples += cycle->GapBefore() * 8 / m_bitsPerSample;
        }
        const unsigned short channels = std::min(cycle->Channels(), m_channels);
        for (unsigned short c = 0; c < channels; ++c) {
            if (m_recordData->Add(c, cycle->Data(c), cycle->Size(c)) != TkErrorSuccess) {
                // Read before anything else can change it: the failed system call's cause.
                ReportStoreFailure(errno);
                return false;
            }
        }
        m_queue->PopFront();
        RoundStored();
    }
}

void RecThread::RoundStored()
{
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
    const uint64_t captured = m_recordData->GetLength(false);
    m_engine->RoundStored(recorded, captured, m_rate);
    ReportStreamPosition(recorded);
    if (m_rate != 0) {
        PowerCutCheck(static_cast<double>(recorded) / static_cast<double>(m_rate));
    }
    if (captured >= m_syncedCaptured + m_rate) {
        m_syncedCaptured = captured;
        SyncToDisk();
    }
}

void RecThread::SyncToDisk()
{
    uint64_t synced = 0;
    if (m_recordData->SyncToDisk(synced) != TkErrorSuccess) {
        TRACE("the recording could not be synced to disk: errno %d", errno);
        return;
    }
    m_engine->RecordingSynced(synced);
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

void RecThread::ReportStoreFailure(int cause)
{
    // A store fails when the temporary files cannot be written: the folder
    // vanished, or the write failed with a cause (a full disk, a quota, an
    // I/O error) that the user is told.
    const bool folderExists = m_engine->IsTempDirectoryExists();
    TRACE("captured data could not be stored (temporary folder %s): errno %d", folderExists ? "present" : "missing",
          cause);
    if (!folderExists) {
        m_engine->NotifyErrorMessageProc(TkNotifyTempFolderUnusable, nullptr);
        return;
    }
    const std::string number = std::to_string(cause);
    m_engine->NotifyErrorMessageProc(TkNotifyStoreFailed, number.c_str());
}
