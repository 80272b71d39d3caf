// The engine's click repair: one analysis of the recording at a time on a
// thread of its own (which uses every core), its progress, state and
// cancellation, the places it found, and whether they are laid over the
// preview and over the written tracks.
//
// The places are an immutable snapshot behind a shared pointer: the save
// thread and the preview readers keep the one they took while a new
// analysis or a clear replaces it.
#pragma once

#include "interface/cartova.h"
#include "restore/ClickAnalysis.h"
#include "restore/RepairedPlaces.h"
#include "restore/SampleSource.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

class ClickRepairWork {
public:
    ClickRepairWork() = default;
    // Stops and waits for a running analysis.
    ~ClickRepairWork();

    ClickRepairWork(const ClickRepairWork&) = delete;
    ClickRepairWork& operator=(const ClickRepairWork&) = delete;

    // Drops the places and starts analysing source; -3 while an analysis
    // runs.
    TkError Start(std::unique_ptr<ISampleSource> source, ClickSensitivity sensitivity);
    // Asks a running analysis to stop; returns at once.
    void Cancel();
    // Stops a running analysis, waits for it and forgets the places.
    void Clear();

    TkClickAnalysisState State() const { return m_state.load(); }
    int32_t Progress() const { return m_control.progress.load(); }
    // The places of the finished analysis, or null.
    std::shared_ptr<const RepairedPlaces> Places() const;

    void SetApplied(bool onPreview, bool onSave);
    // The places when the repair is on for that use, else null.
    std::shared_ptr<const RepairedPlaces> ForPreview() const;
    std::shared_ptr<const RepairedPlaces> ForSave() const;

private:
    void Run(ClickSensitivity sensitivity);
    void Join();

    // Start and Clear are called from the application's thread and from the engine's
    // queue (a new recording clears the last analysis): m_workMutex orders them, and with
    // them every change of m_source and m_thread.
    std::mutex m_workMutex;
    std::unique_ptr<ISampleSource> m_source;
    AnalysisControl m_control;
    std::atomic<TkClickAnalysisState> m_state{TkClickAnalysisNone};
    std::atomic<bool> m_onPreview{false};
    std::atomic<bool> m_onSave{false};
    mutable std::mutex m_placesMutex;
    std::shared_ptr<const RepairedPlaces> m_places;
    // Started and joined under m_workMutex (and by the destructor).
    std::thread m_thread;
};
