// The engine's click repair; see ClickRepairWork.h.
#include "engine/ClickRepairWork.h"

#include "platform/Trace.h"

ClickRepairWork::~ClickRepairWork()
{
    Cancel();
    Join();
}

void ClickRepairWork::Join()
{
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

TkError ClickRepairWork::Start(std::unique_ptr<ISampleSource> source, ClickSensitivity sensitivity)
{
    std::lock_guard<std::mutex> work(m_workMutex);
    if (m_state.load() == TkClickAnalysisRunning) {
        return TkErrorFailed;
    }
    Join();
    {
        std::lock_guard<std::mutex> lock(m_placesMutex);
        m_places.reset();
    }
    m_source = std::move(source);
    m_control.cancel = false;
    m_control.progress = 0;
    m_state = TkClickAnalysisRunning;
    try {
        m_thread = std::thread(&ClickRepairWork::Run, this, sensitivity);
    } catch (const std::system_error& e) {
        TRACE("click analysis thread not started: %s", e.what());
        m_state = TkClickAnalysisFailed;
        return TkErrorFailed;
    }
    return TkErrorSuccess;
}

void ClickRepairWork::Run(ClickSensitivity sensitivity)
{
    AnalysisOutcome outcome = AnalyseClicks(*m_source, sensitivity, m_control);
    if (outcome.status == AnalysisStatus::Finished) {
        auto places = std::make_shared<const RepairedPlaces>(std::move(outcome.places));
        std::lock_guard<std::mutex> lock(m_placesMutex);
        m_places = std::move(places);
    }
    m_state = outcome.status == AnalysisStatus::Finished    ? TkClickAnalysisFinished
              : outcome.status == AnalysisStatus::Cancelled ? TkClickAnalysisCancelled
                                                            : TkClickAnalysisFailed;
}

void ClickRepairWork::Cancel()
{
    m_control.cancel = true;
}

void ClickRepairWork::Clear()
{
    std::lock_guard<std::mutex> work(m_workMutex);
    Cancel();
    Join();
    m_source.reset();
    std::lock_guard<std::mutex> lock(m_placesMutex);
    m_places.reset();
    m_state = TkClickAnalysisNone;
}

std::shared_ptr<const RepairedPlaces> ClickRepairWork::Places() const
{
    std::lock_guard<std::mutex> lock(m_placesMutex);
    return m_places;
}

void ClickRepairWork::SetApplied(bool onPreview, bool onSave)
{
    m_onPreview = onPreview;
    m_onSave = onSave;
}

std::shared_ptr<const RepairedPlaces> ClickRepairWork::ForPreview() const
{
    return m_onPreview.load() ? Places() : nullptr;
}

std::shared_ptr<const RepairedPlaces> ClickRepairWork::ForSave() const
{
    return m_onSave.load() ? Places() : nullptr;
}
