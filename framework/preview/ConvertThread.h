// The preview conversion thread: woken by the recording thread after every
// pass that stored captured data, it converts everything new into the
// preview in passes of at most 4096 frames and reports the live preview
// length every tenth of a second. Stop lets it convert what is available
// (all but a DSD remainder of fewer than 64 one-bit samples) before it ends.
#pragma once

#include <atomic>

#include "engine/IToolkitManager.h"
#include "preview/PreviewConversion.h"
#include "thread/ThreadBase.h"

class ConvertThread : public ThreadBase {
public:
    ConvertThread();
    ~ConvertThread() override;

    // -2 for a null argument or record data without a preview converter;
    // -3 when the thread runs already, its buffers cannot be allocated or it
    // cannot be created. Runs at priority 1.
    // fromRecorded: see PreviewConversion::Prepare.
    TkError Start(IToolkitManager* engine, RecordData* recordData, PreviewData* previewData,
                  bool fromRecorded = false);
    // Wakes the thread when it runs.
    void AddDataNotify();
    // Sets the stop flag, wakes the thread and joins it; nothing when not running.
    void Stop();

protected:
    void ThreadImpl() override;

private:
    std::atomic<bool> m_stopRequested{false};
    IToolkitManager* m_engine = nullptr;
    PreviewConversion m_conversion;  // used only by the thread while it runs
};
