// Preview playback as the control manager sees it.
#include "playback/PreviewController.h"

#include "bridge/CartovaController.h"
#include "playback/PreviewPlayManager.h"

#include <cmath>
#include <vector>

PreviewController::PreviewController(QObject* parent) : QObject(parent) {}

PreviewController::~PreviewController()
{
    if (m_play_mgr)
        m_play_mgr->Stop();
}

bool PreviewController::BeginRecordPreview()
{
    m_lastStartFailure = StartFailure::None;
    m_status = StatusMonitoring;
    if (PreviewPlay(0.0))
        return true;
    m_status = StatusIdle;
    m_lastStartFailure = StartFailure::Playback;
    return false;
}

bool PreviewController::Play(double t)
{
    m_lastStartFailure = StartFailure::None;
    if (m_checkTemporaryDirectory && !m_checkTemporaryDirectory()) {
        m_lastStartFailure = StartFailure::TemporaryDirectory;
        return false;
    }
    m_status = StatusPlaying;
    if (PreviewPlay(t))
        return true;
    m_status = StatusIdle;
    m_lastStartFailure = StartFailure::Playback;
    return false;
}

bool PreviewController::Stop()
{
    if (!m_play_mgr || !m_play_mgr->Stop())
        return false;
    m_play_mgr.reset();
    ++m_runSerial; // reports still on their way belong to no run now
    m_status = StatusIdle;
    return true;
}

bool PreviewController::PreviewPlay(double t)
{
    // The device's own outputs are noted, but playback always goes through the desktop's
    // default output: the framework offers no loopback through the turntable.
    AudioDeviceInfo info;
    if (CartovaController::sharedInstance().GetAudioDeviceInfo(info) == TkErrorSuccess)
        m_use_asio_loopback = info.o_ch != 0;

    if (m_play_mgr)
        m_play_mgr->Stop();
    m_play_mgr.reset();
    auto run = std::make_unique<PreviewPlayManager>();
    if (!run->initManager(this))
        return false;
    run->setRunSerial(++m_runSerial);
    m_play_mgr = std::move(run);
    const bool started = m_status == StatusMonitoring ? m_play_mgr->RecordPreview() : m_play_mgr->Play(t);
    m_currentTime.store(t);
    if (!started)
        m_play_mgr.reset(); // a run that never started has nothing to stop
    return started;
}

void PreviewController::setCurrentTime(double t)
{
    if (m_status == StatusIdle)
        return;
    m_currentTime.store(t);
}

void PreviewController::GetLevel(float* level, int n)
{
    if (!level || n <= 0)
        return;
    if (!m_play_mgr) {
        std::fill(level, level + n, 0.0f);
        return;
    }
    std::vector<PeakPair> peaks(static_cast<size_t>(n));
    auto channels = static_cast<uint32_t>(n);
    if (!m_play_mgr->getAndResetPeak(peaks.data(), &channels)) {
        std::fill(level, level + n, -1.0f);
        return;
    }
    for (uint32_t i = 0; i < channels; ++i)
        level[i] = std::max(std::fabs(peaks[i].minimum), std::fabs(peaks[i].maximum));
}

void PreviewController::NotifyCurrentTime(double t, uint64_t run)
{
    const double old = m_currentTime.exchange(t);
    if (std::trunc(old * 10.0) != std::trunc(t * 10.0))
        Updateview(run);
}

void PreviewController::Updateview(uint64_t run)
{
    post(Report{Report::Time, run, 0});
}

void PreviewController::OnFinish(uint64_t run)
{
    post(Report{Report::Finish, run, 0});
}

void PreviewController::OnError(int32_t code, uint64_t run)
{
    post(Report{Report::Error, run, code});
}

void PreviewController::post(const Report& report)
{
    {
        std::lock_guard<std::mutex> guard(m_reportLock);
        m_reports.push_back(report);
    }
    QMetaObject::invokeMethod(this, "deliverReports", Qt::QueuedConnection);
}

void PreviewController::deliverReports()
{
    std::vector<Report> reports;
    {
        std::lock_guard<std::mutex> guard(m_reportLock);
        reports.swap(m_reports);
    }
    for (const Report& r : reports) {
        if (!isCurrentRun(r.run))
            continue; // from a run that has been stopped since
        switch (r.kind) {
        case Report::Time:
            if (m_status == StatusPlaying)
                emit currentTimeUpdated(currentTime());
            break;
        case Report::Finish:
            emit playFinished();
            break;
        case Report::Error:
            emit playError(r.code);
            break;
        }
    }
}
