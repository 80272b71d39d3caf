// Preview playback: plays the finished recording from a time (status 1) or monitors the
// recording in progress (status 2), converts positions to times and reports back on the
// main thread through its signals. Also the level meter's source of peak levels. Status
// 0 is idle.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class PreviewPlayManager;

class PreviewController : public QObject {
    Q_OBJECT
public:
    enum Status : int32_t { StatusIdle = 0, StatusPlaying = 1, StatusMonitoring = 2 };
    // Why the last Play or BeginRecordPreview returned false.
    enum class StartFailure { None, TemporaryDirectory, Playback };

    explicit PreviewController(QObject* parent = nullptr);
    ~PreviewController() override;

    // The temporary-folder check made before playing (none by default).
    void setTemporaryDirectoryCheck(std::function<bool()> check) { m_checkTemporaryDirectory = std::move(check); }

    // Monitoring of the recording in progress; false when the output cannot be started.
    bool BeginRecordPreview();
    // Plays the finished recording from t seconds; false when the temporary folder is
    // unusable or the output cannot be started.
    bool Play(double t);
    // Ends the running playback; false when there is none or it cannot be stopped.
    bool Stop();
    bool PreviewPlay(double t);

    int32_t GetStatus() const { return m_status; }
    // TemporaryDirectory: the folder check failed (and told the user); Playback: the
    // playback run could not be created or its output not started.
    StartFailure lastStartFailure() const { return m_lastStartFailure; }
    double currentTime() const { return m_currentTime.load(); }
    void setCurrentTime(double t);
    float gain() const { return m_gain; }
    void setGain(float linear) { m_gain = linear; }

    // Fills n linear levels (1.0 = full scale) with the peaks played since the last call:
    // -1.0 each when nothing was played since, 0 each without a playback run.
    void GetLevel(float* level, int n);

    // The running playback run, if any (tests look at its output).
    PreviewPlayManager* playManager() const { return m_play_mgr.get(); }

    // Reports of a playback run, from its own threads; `run` names the run that reports.
    void NotifyCurrentTime(double t, uint64_t run);
    void OnFinish(uint64_t run);
    void OnError(int32_t code, uint64_t run);

signals:
    // On the main thread, from the current run only.
    void currentTimeUpdated(double seconds);
    void playFinished();
    void playError(int code);

private slots:
    // Delivers the reports queued by the playback threads (main thread).
    void deliverReports();

private:
    // A report waiting for the main thread. Reports travel through this queue, guarded by
    // a lock of our own, and the main thread is only woken up, so no data crosses threads
    // inside the toolkit's event machinery.
    struct Report {
        enum Kind { Time, Finish, Error } kind;
        uint64_t run;
        int32_t code;
    };
    void post(const Report& report);
    void Updateview(uint64_t run);
    bool isCurrentRun(uint64_t run) const { return run == m_runSerial && m_play_mgr; }

    int32_t m_status = StatusIdle;
    bool m_use_asio_loopback = false;
    std::unique_ptr<PreviewPlayManager> m_play_mgr;
    std::function<bool()> m_checkTemporaryDirectory;
    std::atomic<double> m_currentTime{0.0};
    float m_gain = 1.0f;
    uint64_t m_runSerial = 0; // main thread only
    StartFailure m_lastStartFailure = StartFailure::None;
    std::mutex m_reportLock;
    std::vector<Report> m_reports; // guarded by m_reportLock
};
