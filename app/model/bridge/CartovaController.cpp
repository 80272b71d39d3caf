// Forwarding of the bridge's methods to the framework and of its callbacks to signals.
#include "bridge/CartovaController.h"


#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>

CartovaController& CartovaController::sharedInstance()
{
    // A function-local static is initialised exactly once, also under concurrent first use.
    static CartovaController* instance = new CartovaController; // lives for the whole process
    return *instance;
}

CartovaController::CartovaController()
{
    m_delegate.context = this;
    m_delegate.NotifyOperationProc = &CartovaController::onOperation;
    m_delegate.NotifyStreamPosProc = &CartovaController::onStreamPos;
    m_delegate.NotifyConvertPosProc = &CartovaController::onConvertPos;
    m_delegate.NotifyErrorMessageProc = &CartovaController::onErrorMessage;
    m_delegate.post_to_main_queue = &CartovaController::postToMainQueue;
    // Tasks are queued to this object, so it must live on the application's main thread.
    if (QCoreApplication* app = QCoreApplication::instance())
        moveToThread(app->thread());
}

TkError CartovaController::Init() { return Cartova_Init(&m_delegate); }
TkError CartovaController::New() { return Cartova_New(); }

TkError CartovaController::GetAudioDevices(QStringList& names)
{
    names.clear();
    TkDeviceNameList* list = nullptr;
    const TkError err = Cartova_GetAudioDevices(&list);
    if (list) {
        for (size_t i = 0; i < list->count; ++i)
            names.append(QString::fromUtf8(list->names[i] ? list->names[i] : ""));
        Cartova_ReleaseAudioDevices(list);
    }
    if (err != TkErrorSuccess)
        names.clear();
    return err;
}

TkError CartovaController::SetAudioDevice(const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    return Cartova_SetAudioDevice(utf8.constData());
}

TkError CartovaController::GetUsbDeviceDescription(int32_t vid, int32_t pid, QString& productName,
                                                  int64_t& bcdDevice)
{
    TkUsbDeviceDescription description{};
    const TkError err = Cartova_GetUsbDeviceDescription(vid, pid, &description);
    if (err == TkErrorSuccess) {
        productName = QString::fromUtf8(description.product_name);
        bcdDevice = description.bcd_device;
    }
    return err;
}

TkError CartovaController::GetAudioDeviceInfo(AudioDeviceInfo& info)
{
    TkAudioDeviceInfo* raw = nullptr;
    const TkError err = Cartova_GetAudioDeviceInfo(&raw);
    if (err == TkErrorSuccess && raw) {
        info = AudioDeviceInfo{};
        info.device_name = QString::fromUtf8(raw->device_name ? raw->device_name : "");
        info.vid = raw->vid;
        info.pid = raw->pid;
        info.i_ch = raw->i_ch;
        info.o_ch = raw->o_ch;
        info.PCM_supported_bits = raw->PCM_supported_bits;
        info.PCM_record_bits = raw->PCM_record_bits;
        if (raw->PCM_supported_freq)
            info.PCM_supported_freq.assign(raw->PCM_supported_freq,
                                           raw->PCM_supported_freq + raw->PCM_supported_freq_count);
        if (raw->DSD_supported_freq)
            info.DSD_supported_freq.assign(raw->DSD_supported_freq,
                                           raw->DSD_supported_freq + raw->DSD_supported_freq_count);
    }
    if (raw)
        Cartova_ReleaseAudioDeviceInfo(raw);
    if (err == TkErrorSuccess && !raw)
        return TkErrorFailed;
    return err;
}

TkError CartovaController::SetRecordSetting(const TkRecordSetting& setting) { return Cartova_SetRecordSetting(&setting); }
TkError CartovaController::GetRecordSetting(TkRecordSetting& setting) { return Cartova_GetRecordSetting(&setting); }
TkError CartovaController::StartPreRecording() { return Cartova_StartPreRecording(); }
TkError CartovaController::Start() { return Cartova_Start(); }
TkError CartovaController::Pause() { return Cartova_Pause(); }
TkError CartovaController::Resume() { return Cartova_Resume(); }
TkError CartovaController::Stop(bool wait) { return Cartova_Stop(wait); }
TkError CartovaController::EnableLoopback(int8_t enable) { return Cartova_EnableLoopback(enable); }
TkError CartovaController::StartPlay(double position) { return Cartova_StartPlay(position); }

TkError CartovaController::GetPreviewDataFrom(uint64_t from, uint64_t to, int16_t* buffer, size_t bufferSamples)
{
    return Cartova_GetPreviewData(from, to, buffer, bufferSamples);
}

TkError CartovaController::GetRecordingPreviewDataFrom(uint64_t from, uint64_t to, int16_t* buffer,
                                                       size_t bufferSamples)
{
    return Cartova_GetRecordingPreviewData(from, to, buffer, bufferSamples);
}

TkError CartovaController::GetPreviewDataLength(uint64_t& frames) { return Cartova_GetPreviewDataLength(&frames); }

TkError CartovaController::GetRecordingPreviewDataLength(uint64_t& frames)
{
    return Cartova_GetRecordingPreviewDataLength(&frames);
}

TkError CartovaController::SaveFile(const std::vector<SaveSetting>& list)
{
    // UTF-8 storage for every string must outlive the call; the framework copies the list.
    std::vector<QByteArray> strings;
    std::vector<std::vector<TkTag>> tags(list.size());
    std::vector<TkSaveSetting> raw(list.size());
    size_t stringCount = 0;
    for (const SaveSetting& s : list)
        stringCount += 1 + 2 * static_cast<size_t>(s.tags.size());
    strings.reserve(stringCount); // no reallocation: the pointers below stay valid

    for (size_t i = 0; i < list.size(); ++i) {
        const SaveSetting& s = list[i];
        strings.push_back(s.path.toUtf8());
        raw[i].path = strings.back().constData();
        raw[i].start = s.start;
        raw[i].end = s.end;
        raw[i].gain = s.gain;
        for (auto it = s.tags.cbegin(); it != s.tags.cend(); ++it) {
            strings.push_back(it.key().toUtf8());
            const char* key = strings.back().constData();
            strings.push_back(it.value().toUtf8());
            tags[i].push_back(TkTag{key, strings.back().constData()});
        }
        raw[i].tags = tags[i].empty() ? nullptr : tags[i].data();
        raw[i].tag_count = tags[i].size();
    }
    return Cartova_SaveFile(raw.empty() ? nullptr : raw.data(), raw.size());
}

TkError CartovaController::SaveFileProgress(int32_t& fileProgress, int32_t& totalProgress)
{
    return Cartova_SaveFileProgress(&fileProgress, &totalProgress);
}

TkError CartovaController::SaveFileCancel(bool deletePartial) { return Cartova_SaveFileCancel(deletePartial); }

TkError CartovaController::SetTempDirectory(const QString& path)
{
    const QByteArray utf8 = path.toUtf8();
    return Cartova_SetTempDirectory(utf8.constData());
}

TkError CartovaController::SetPcmFileFormat(TkPcmFileFormat format, int32_t compressionLevel)
{
    return Cartova_SetPcmFileFormat(format, compressionLevel);
}

TkError CartovaController::CheckCoverImage(const QString& path, QString& problem)
{
    problem.clear();
    // The same bytes as the "CoverImage" tag that SaveFile hands over.
    const QByteArray utf8 = path.toUtf8();
    char* message = nullptr;
    const TkError result = Cartova_CheckCoverImage(utf8.constData(), &message);
    if (message != nullptr) {
        problem = QString::fromUtf8(message);
        Cartova_ReleaseCoverImageProblem(message);
    }
    return result;
}

TkError CartovaController::FindClicks(TkClickSensitivity sensitivity) { return Cartova_FindClicks(sensitivity); }

TkError CartovaController::FindClicksProgress(int32_t& progress, TkClickAnalysisState& state)
{
    return Cartova_FindClicksProgress(&progress, &state);
}

TkError CartovaController::FindClicksCancel() { return Cartova_FindClicksCancel(); }

TkError CartovaController::GetClickPlaces(std::vector<ClickPlace>& places)
{
    places.clear();
    TkClickPlaceList* list = nullptr;
    const TkError result = Cartova_GetClickPlaces(&list);
    if (result != TkErrorSuccess)
        return result;
    const double rate = list->sample_rate > 0 ? static_cast<double>(list->sample_rate) : 1.0;
    places.reserve(list->count);
    for (size_t i = 0; i < list->count; ++i) {
        const TkClickPlace& place = list->places[i];
        places.push_back({static_cast<double>(place.position) / rate, static_cast<double>(place.length) / rate,
                          place.channel_mask, place.kind, place.repaired != 0});
    }
    Cartova_ReleaseClickPlaces(list);
    return TkErrorSuccess;
}

TkError CartovaController::SetClickRepair(bool onPreview, bool onSave) { return Cartova_SetClickRepair(onPreview, onSave); }

TkError CartovaController::ClearClickPlaces() { return Cartova_ClearClickPlaces(); }

TkError CartovaController::GetRepairedPreviewDataFrom(uint64_t from, uint64_t to, int16_t* buffer, size_t bufferSamples)
{
    return Cartova_GetRepairedPreviewData(from, to, buffer, bufferSamples);
}

TkError CartovaController::FindTracks(uint32_t trackCount, TrackFinding& finding)
{
    finding = TrackFinding{};
    TkTrackFinding* found = nullptr;
    const TkError result = Cartova_FindTracks(nullptr, trackCount, &found);
    if (result != TkErrorSuccess)
        return result;
    finding.problem = found->problem;
    finding.needleDown = found->needle_down_seconds;
    finding.needleUp = found->needle_up_seconds;
    finding.musicStart = found->music_start_seconds;
    finding.musicEnd = found->music_end_seconds;
    finding.boundaries.assign(found->boundaries, found->boundaries + found->count);
    finding.strengths.assign(found->strengths, found->strengths + found->count);
    finding.places = found->places;
    Cartova_ReleaseTrackFinding(found);
    return TkErrorSuccess;
}

TkError CartovaController::GetDroppedAudio(std::vector<TkDroppedAudio>& places)
{
    places.clear();
    TkDroppedAudio* list = nullptr;
    size_t count = 0;
    const TkError result = Cartova_GetDroppedAudio(&list, &count);
    if (result != TkErrorSuccess)
        return result;
    if (list != nullptr)
        places.assign(list, list + count);
    Cartova_ReleaseDroppedAudio(list);
    return TkErrorSuccess;
}

// The callbacks run on the main thread, inside a task the framework posted.
void CartovaController::onOperation(void* context, TkRecOperation operation)
{
    emit static_cast<CartovaController*>(context)->operation(operation);
}

void CartovaController::onStreamPos(void* context, double seconds)
{
    emit static_cast<CartovaController*>(context)->streamPosition(seconds);
}

void CartovaController::onConvertPos(void* context, double seconds)
{
    emit static_cast<CartovaController*>(context)->convertPosition(seconds);
}

void CartovaController::onErrorMessage(void* context, TkNotifyError code, const char* message)
{
    emit static_cast<CartovaController*>(context)->frameworkError(code, QString::fromUtf8(message ? message : ""));
}

void CartovaController::postToMainQueue(void* context, TkMainQueueTask task, void* taskContext)
{
    auto* self = static_cast<CartovaController*>(context);
    if (!self || !task)
        return;
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(self->m_taskLock);
        self->m_tasks.push_back({task, taskContext});
        wake = !self->m_wakePending;
        self->m_wakePending = true;
    }
    // Woken by the method's name, so that the toolkit allocates and frees the wake-up
    // itself: no memory of ours crosses the threads outside m_taskLock.
    if (wake)
        QMetaObject::invokeMethod(self, "runPostedTasks", Qt::QueuedConnection);
}

void CartovaController::runPostedTasks()
{
    {
        std::lock_guard<std::mutex> lock(m_taskLock);
        m_wakePending = false;
    }
    for (;;) {
        PostedTask next{};
        {
            std::lock_guard<std::mutex> lock(m_taskLock);
            if (m_tasks.empty())
                return;
            next = m_tasks.front();
            m_tasks.pop_front();
        }
        next.task(next.context);
    }
}

TkError CartovaController::DeleteTempLeftovers(const QString& folder)
{
    return Cartova_DeleteTempLeftovers(QFile::encodeName(folder).constData());
}

QString CartovaController::DeviceProblem()
{
    char* message = nullptr;
    if (Cartova_GetDeviceProblem(&message) != TkErrorSuccess || message == nullptr)
        return QString();
    const QString problem = QString::fromUtf8(message);
    Cartova_ReleaseDeviceProblem(message);
    return problem;
}
