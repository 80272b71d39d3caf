// The application's single doorway into the Cartova framework and its delegate.
// Each method forwards to the matching Cartova_* function and returns its TkError;
// framework records are converted into owned Qt values. Every delegate callback arrives
// on the main thread and is re-sent as one of the typed signals below.
#pragma once

#include "cartova.h"

#include <QDateTime>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

// Owned copy of TkAudioDeviceInfo.
struct AudioDeviceInfo {
    QString device_name;
    int32_t vid = 0;
    int32_t pid = 0;
    uint16_t i_ch = 0;
    uint16_t o_ch = 0;
    uint16_t PCM_supported_bits = 0;
    uint16_t PCM_record_bits = 0;
    std::vector<uint32_t> PCM_supported_freq;
    std::vector<uint32_t> DSD_supported_freq;
};

// Owned description of one track to write (see TkSaveSetting).
struct SaveSetting {
    QString path;
    double start = 0.0;
    double end = 0.0;
    double gain = 0.0;
    QMap<QString, QString> tags;
};

// Owned copy of one place of the click analysis (see TkClickPlace), in seconds of the
// recorded stream.
struct ClickPlace {
    double seconds = 0.0;
    double length = 0.0;
    uint32_t channelMask = 0;
    TkClickKind kind = TkClickKindClick;
    bool repaired = false;
};

// Owned copy of TkTrackFinding: the tracks found in the finished recording, in seconds.
struct TrackFinding {
    TkSideProblem problem = TkSideProblemNone;
    double needleDown = 0.0;
    double needleUp = 0.0;
    double musicStart = 0.0;
    double musicEnd = 0.0;
    std::vector<double> boundaries; // where each further track starts, ascending
    std::vector<double> strengths;  // per boundary, 0 to 1
    size_t places = 0;              // places between tracks a track count can choose from
};

// Owned copy of TkRecoverable: a recording a program left before its tracks were written.
struct RecoverableRecording {
    QString id;
    QDateTime started; // local time
    bool isDsd = false;
    uint64_t freq = 0; // Hz (the DSD bit rate for DSD)
    uint16_t channels = 0;
    uint16_t bits = 0; // of the PCM track files chosen for it; 1 for DSD
    double seconds = 0.0; // recorded time its files still hold
    TkRecoverableState state = TkRecoverableReady;
    QString missing; // what is gone, in words; empty when nothing
};

// Owned copy of TkRecordingNotes: the user's markers and names kept in the journal.
struct RecordingNotes {
    std::vector<double> markers; // seconds of the recording
    QStringList names;           // the album first, then the track titles

    bool operator==(const RecordingNotes&) const = default;
};

class CartovaController : public QObject {
    Q_OBJECT
public:
    // The one instance, created on first use (thread-safe).
    static CartovaController& sharedInstance();

    CartovaController(const CartovaController&) = delete;
    CartovaController& operator=(const CartovaController&) = delete;

    TkError Init();
    TkError New();
    TkError GetAudioDevices(QStringList& names);
    TkError SetAudioDevice(const QString& name);
    TkError GetAudioDeviceInfo(AudioDeviceInfo& info);
    // Product name and release number (bcdDevice) of the USB device with these identifiers.
    TkError GetUsbDeviceDescription(int32_t vid, int32_t pid, QString& productName, int64_t& bcdDevice);
    TkError SetRecordSetting(const TkRecordSetting& setting);
    TkError GetRecordSetting(TkRecordSetting& setting);
    TkError StartPreRecording();
    TkError Start();
    TkError Pause();
    TkError Resume();
    TkError Stop(bool wait);
    TkError EnableLoopback(int8_t enable);
    TkError StartPlay(double position);
    TkError GetPreviewDataFrom(uint64_t from, uint64_t to, int16_t* buffer, size_t bufferSamples);
    TkError GetRecordingPreviewDataFrom(uint64_t from, uint64_t to, int16_t* buffer, size_t bufferSamples);
    TkError GetPreviewDataLength(uint64_t& frames);
    TkError GetRecordingPreviewDataLength(uint64_t& frames);
    TkError SaveFile(const std::vector<SaveSetting>& list);
    TkError SaveFileProgress(int32_t& fileProgress, int32_t& totalProgress);
    TkError SaveFileCancel(bool deletePartial);
    TkError SetTempDirectory(const QString& path);
    // The file format of PCM tracks written from now on (FLAC at compressionLevel 0 to 8).
    TkError SetPcmFileFormat(TkPcmFileFormat format, int32_t compressionLevel);
    // Whether the picture at path can be the cover of FLAC tracks; when it cannot, the
    // result says why and problem holds the framework's sentence naming the file.
    TkError CheckCoverImage(const QString& path, QString& problem);
    // Deletes the framework's leftover temporary files in a folder.
    TkError DeleteTempLeftovers(const QString& folder);
    // The tracks of the finished recording with the framework's default settings:
    // trackCount 0 lets the gaps decide, N asks for N tracks.
    TkError FindTracks(uint32_t trackCount, TrackFinding& finding);
    // Click repair of the finished PCM recording: the analysis (started, polled for its
    // progress in thousandths and its state, cancelled), its places, whether the repair is
    // laid over listening and writing, and forgetting the places.
    TkError FindClicks(TkClickSensitivity sensitivity);
    TkError FindClicksProgress(int32_t& progress, TkClickAnalysisState& state);
    TkError FindClicksCancel();
    TkError GetClickPlaces(std::vector<ClickPlace>& places);
    TkError SetClickRepair(bool onPreview, bool onSave);
    TkError ClearClickPlaces();
    // The preview for listening: GetPreviewDataFrom with the repaired samples where the
    // repair is on for listening.
    TkError GetRepairedPreviewDataFrom(uint64_t from, uint64_t to, int16_t* buffer, size_t bufferSamples);
    // Recovery: the recordings of the temporary folder that were not written to files
    // (newest first), opening one as the current recording (TkRecOperationStopped says
    // when its preview is complete), deleting one, and the notes kept in the current
    // recording's journal.
    TkError GetRecoverableRecordings(std::vector<RecoverableRecording>& recordings);
    TkError OpenRecoverableRecording(const QString& id);
    TkError DiscardRecoverableRecording(const QString& id);
    TkError SetRecordingNotes(const RecordingNotes& notes);
    TkError GetRecordingNotes(RecordingNotes& notes);
    // Why the framework offers no device (for example a simulated record it cannot play),
    // as a sentence for the user; empty when nothing is known to be wrong.
    QString DeviceProblem();
    // Every place where audio was lost in the current recording, in recorded order.
    TkError GetDroppedAudio(std::vector<TkDroppedAudio>& places);

    // The delegate handed to Cartova_Init; exposed so tests can drive the callbacks.
    const ICartovaDelegate& delegate() const { return m_delegate; }

signals:
    // The framework's notifications, on the main thread, in the order it sent them.
    void operation(TkRecOperation operation);
    void streamPosition(double seconds);
    void convertPosition(double seconds);
    void frameworkError(TkNotifyError code, const QString& message);

private:
    CartovaController();

    // A task the framework posted to the main thread. Tasks travel through m_tasks,
    // guarded by a lock of our own; the main thread is only woken through the toolkit,
    // so nothing the framework allocated crosses threads inside the toolkit's queue.
    struct PostedTask {
        TkMainQueueTask task;
        void* context;
    };
    // Runs the posted tasks one at a time, oldest first (main thread). A task may run a
    // nested event loop, which then runs the later tasks: the order stays the posting order.
    Q_INVOKABLE void runPostedTasks();

    static void onOperation(void* context, TkRecOperation operation);
    static void onStreamPos(void* context, double seconds);
    static void onConvertPos(void* context, double seconds);
    static void onErrorMessage(void* context, TkNotifyError code, const char* message);
    static void postToMainQueue(void* context, TkMainQueueTask task, void* taskContext);

    ICartovaDelegate m_delegate{};
    std::mutex m_taskLock;
    std::deque<PostedTask> m_tasks;  // guarded by m_taskLock, oldest first
    bool m_wakePending = false;      // guarded by m_taskLock
};

