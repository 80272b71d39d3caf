// The preview conversion thread; see ConvertThread.h.
#include "preview/ConvertThread.h"

ConvertThread::ConvertThread() = default;

ConvertThread::~ConvertThread()
{
    Stop();
}

TkError ConvertThread::Start(IToolkitManager* engine, RecordData* recordData, PreviewData* previewData,
                             bool fromRecorded)
{
    if (engine == nullptr || recordData == nullptr || previewData == nullptr) {
        return TkErrorInvalidArgument;
    }
    if (Joinable()) {
        return TkErrorFailed;
    }
    const TkError prepared = m_conversion.Prepare(recordData, previewData, fromRecorded);
    if (prepared != TkErrorSuccess) {
        return prepared;
    }
    ResetEvent();
    m_stopRequested = false;
    m_engine = engine;
    return Create(PriorityHigh) ? TkErrorSuccess : TkErrorFailed;
}

void ConvertThread::AddDataNotify()
{
    if (Joinable()) {
        SetEvent();
    }
}

void ConvertThread::Stop()
{
    if (!Joinable()) {
        return;
    }
    m_stopRequested = true;
    SetEvent();
    Join();
}

void ConvertThread::ThreadImpl()
{
    for (;;) {
        WaitEvent();
        // The stop request is read before converting: everything stored
        // before Stop was called is then converted by the passes below. Read
        // after them, a request that came in just after the last pass found
        // nothing would end the thread with the final block unconverted.
        const bool stopping = m_stopRequested;
        while (m_conversion.ConvertPass() != 0) {
            double seconds = 0.0;
            if (m_conversion.TakeConvertPosition(seconds)) {
                m_engine->NotifyConvertPosProc(seconds);
            }
        }
        if (stopping) {
            return;
        }
    }
}
