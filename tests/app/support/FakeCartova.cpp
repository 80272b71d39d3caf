// Test double of the Cartova functions.
#include "FakeCartova.h"

#include "save/TrackRange.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

FakeCartova& Fake()
{
    static FakeCartova fake;
    return fake;
}

FakePreviewStream& FakePreview()
{
    static FakePreviewStream stream;
    return stream;
}

FakePreviewStream& FakeRecordingPreview()
{
    static FakePreviewStream stream;
    return stream;
}

void ResetFake()
{
    Fake() = FakeCartova{};
    FakePreview().reset();
    FakeRecordingPreview().reset();
}

void FakePreviewStream::reset()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_samples.clear();
    m_readResult = TkErrorSuccess;
    m_onLengthQuery = nullptr;
    m_lengthQueries = 0;
}

void FakePreviewStream::append(const std::vector<int16_t>& samples)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_samples.insert(m_samples.end(), samples.begin(), samples.end());
}

void FakePreviewStream::setOnLengthQuery(std::function<void(int)> hook)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_onLengthQuery = std::move(hook);
    m_lengthQueries = 0;
}

uint64_t FakePreviewStream::queryLength()
{
    std::function<void(int)> hook;
    int query = 0;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        hook = m_onLengthQuery;
        query = ++m_lengthQueries;
    }
    if (hook)
        hook(query);
    return length();
}

void FakePreviewStream::setFrames(std::vector<int16_t> samples)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_samples = std::move(samples);
}

void FakePreviewStream::failReadsWith(TkError result)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_readResult = result;
}

TkError FakePreviewStream::read(uint64_t first, uint64_t end, int16_t* buffer, size_t bufferSamples) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_readResult != TkErrorSuccess)
        return m_readResult;
    const uint64_t frames = m_samples.size() / kChannels;
    if (!buffer || end < first || end > frames || (end - first) * kChannels > bufferSamples)
        return TkErrorInvalidArgument;
    std::copy(m_samples.begin() + std::ptrdiff_t(first * kChannels), m_samples.begin() + std::ptrdiff_t(end * kChannels),
              buffer);
    return TkErrorSuccess;
}

uint64_t FakePreviewStream::length() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_samples.size() / kChannels;
}

namespace {
char* Dup(const std::string& s)
{
    char* p = static_cast<char*>(std::malloc(s.size() + 1));
    std::memcpy(p, s.c_str(), s.size() + 1);
    return p;
}
} // namespace

extern "C" {

TkError Cartova_Init(const ICartovaDelegate* delegate)
{
    Fake().delegate = delegate;
    return TkErrorSuccess;
}

TkError Cartova_New(void)
{
    ++Fake().newCalls;
    Fake().hasJournal = false; // the recording is closed, its journal with it
    return TkErrorSuccess;
}

TkError Cartova_GetAudioDevices(TkDeviceNameList** list)
{
    *list = nullptr;
    if (Fake().getDevicesResult != TkErrorSuccess)
        return Fake().getDevicesResult;
    auto* l = new TkDeviceNameList{new char*[Fake().devices.size() + 1], Fake().devices.size()};
    for (size_t i = 0; i < Fake().devices.size(); ++i)
        l->names[i] = Dup(Fake().devices[i]);
    *list = l;
    return TkErrorSuccess;
}

void Cartova_ReleaseAudioDevices(TkDeviceNameList* list)
{
    if (!list)
        return;
    for (size_t i = 0; i < list->count; ++i)
        std::free(list->names[i]);
    delete[] list->names;
    delete list;
}

TkError Cartova_GetDeviceProblem(char** message)
{
    if (!message)
        return TkErrorInvalidArgument;
    *message = Fake().deviceProblem.empty() ? nullptr : Dup(Fake().deviceProblem);
    return TkErrorSuccess;
}

void Cartova_ReleaseDeviceProblem(char* message)
{
    std::free(message);
}

TkError Cartova_SetAudioDevice(const char* name)
{
    for (const std::string& d : Fake().devices) {
        if (d == name) {
            Fake().selected = d;
            return TkErrorSuccess;
        }
    }
    return TkErrorDeviceNotFound;
}

TkError Cartova_GetUsbDeviceDescription(int32_t vid, int32_t pid, TkUsbDeviceDescription* description)
{
    if (!description)
        return TkErrorInvalidArgument;
    if (Fake().selected.empty() || vid != 0x1234 || pid != 0x5678)
        return TkErrorDeviceNotFound;
    *description = TkUsbDeviceDescription{};
    std::strncpy(description->product_name, Fake().usbProductName.c_str(), sizeof(description->product_name) - 1);
    description->bcd_device = Fake().usbBcdDevice;
    return TkErrorSuccess;
}

TkError Cartova_GetAudioDeviceInfo(TkAudioDeviceInfo** info)
{
    *info = nullptr;
    if (Fake().selected.empty())
        return TkErrorInvalidState;
    auto* i = new TkAudioDeviceInfo{};
    i->device_name = Dup(Fake().selected);
    i->vid = 0x1234;
    i->pid = 0x5678;
    i->i_ch = 2;
    i->PCM_supported_bits = 24;
    i->PCM_record_bits = Fake().recordBits;
    i->PCM_supported_freq = new uint32_t[Fake().pcmFreq.size() + 1];
    std::copy(Fake().pcmFreq.begin(), Fake().pcmFreq.end(), i->PCM_supported_freq);
    i->PCM_supported_freq_count = Fake().pcmFreq.size();
    i->DSD_supported_freq = new uint32_t[Fake().dsdFreq.size() + 1];
    std::copy(Fake().dsdFreq.begin(), Fake().dsdFreq.end(), i->DSD_supported_freq);
    i->DSD_supported_freq_count = Fake().dsdFreq.size();
    *info = i;
    return TkErrorSuccess;
}

void Cartova_ReleaseAudioDeviceInfo(TkAudioDeviceInfo* info)
{
    if (!info)
        return;
    std::free(info->device_name);
    delete[] info->PCM_supported_freq;
    delete[] info->DSD_supported_freq;
    delete info;
}

TkError Cartova_SetRecordSetting(const TkRecordSetting* setting)
{
    Fake().lastSetting = *setting;
    return TkErrorSuccess;
}

TkError Cartova_GetRecordSetting(TkRecordSetting* setting)
{
    *setting = Fake().lastSetting;
    return TkErrorSuccess;
}

TkError Cartova_StartPreRecording(void)
{
    ++Fake().startPreRecordingCalls;
    return Fake().startPreRecordingResult;
}

TkError Cartova_Start(void)
{
    ++Fake().startCalls;
    return Fake().startResult;
}

TkError Cartova_Stop(bool wait)
{
    Fake().stopCalls.push_back(wait);
    return Fake().stopResult;
}

TkError Cartova_Pause(void)
{
    ++Fake().pauseCalls;
    return Fake().pauseResult;
}

TkError Cartova_Resume(void)
{
    ++Fake().resumeCalls;
    return Fake().resumeResult;
}
TkError Cartova_EnableLoopback(int8_t) { return TkErrorNotSupported; }
TkError Cartova_StartPlay(double) { return TkErrorNotSupported; }
TkError Cartova_GetPreviewData(uint64_t first, uint64_t end, int16_t* buffer, size_t samples)
{
    return FakePreview().read(first, end, buffer, samples);
}

TkError Cartova_GetRecordingPreviewData(uint64_t first, uint64_t end, int16_t* buffer, size_t samples)
{
    return FakeRecordingPreview().read(first, end, buffer, samples);
}

TkError Cartova_GetPreviewDataLength(uint64_t* frames)
{
    *frames = FakePreview().queryLength();
    return TkErrorSuccess;
}

TkError Cartova_GetRecordingPreviewDataLength(uint64_t* frames)
{
    *frames = FakeRecordingPreview().length();
    return TkErrorSuccess;
}

TkError Cartova_SaveFile(const TkSaveSetting* list, size_t count)
{
    if (Fake().saveFileResult != TkErrorSuccess)
        return Fake().saveFileResult;
    Fake().savedTracks.clear();
    for (size_t i = 0; i < count; ++i) {
        FakeCartova::SavedTrack track{list[i].path, list[i].start, list[i].end, list[i].gain, {}};
        for (size_t t = 0; t < list[i].tag_count; ++t)
            track.tags[list[i].tags[t].key] = list[i].tags[t].value;
        Fake().savedTracks.push_back(track);
    }
    ++Fake().saveFileCalls;
    return TkErrorSuccess;
}

TkError Cartova_SetPcmFileFormat(TkPcmFileFormat format, int32_t compressionLevel)
{
    Fake().pcmFileFormat = format;
    Fake().compressionLevel = compressionLevel;
    return TkErrorSuccess;
}

TkError Cartova_CheckCoverImage(const char* path, char** message)
{
    *message = nullptr;
    const auto refused = Fake().refusedCovers.find(path);
    if (refused == Fake().refusedCovers.end())
        return TkErrorSuccess;
    *message = Dup(std::string(path) + ": refused");
    return refused->second;
}

void Cartova_ReleaseCoverImageProblem(char* message)
{
    std::free(message);
}

TkError Cartova_SaveFileProgress(int32_t* file, int32_t* total)
{
    *file = Fake().saveProgress.first;
    *total = Fake().saveProgress.second;
    return TkErrorSuccess;
}

TkError Cartova_SaveFileCancel(bool deletePartial)
{
    Fake().saveCancels.push_back(deletePartial);
    return TkErrorSuccess;
}

TkError Cartova_FindTracks(const TkTrackGapSetting*, uint32_t track_count, TkTrackFinding** finding)
{
    *finding = nullptr;
    if (Fake().findTracksResult != TkErrorSuccess)
        return Fake().findTracksResult;
    // A track count takes the first places of the list.
    std::vector<double> gaps = Fake().trackGaps;
    TkSideProblem problem = Fake().sideProblem;
    if (track_count > 0 && track_count - 1 > gaps.size())
        problem = TkSideProblemTooManyTracks;
    else if (track_count > 0)
        gaps.resize(track_count - 1);
    if (problem != TkSideProblemNone)
        gaps.clear();
    auto* f = new TkTrackFinding{problem, 0.0, 0.0, Fake().musicStart, Fake().musicEnd,
                                 new double[gaps.size() + 1], new double[gaps.size() + 1], gaps.size(),
                                 Fake().trackGaps.size()};
    std::copy(gaps.begin(), gaps.end(), f->boundaries);
    std::fill(f->strengths, f->strengths + gaps.size(), 1.0);
    *finding = f;
    return TkErrorSuccess;
}

void Cartova_ReleaseTrackFinding(TkTrackFinding* finding)
{
    if (finding != nullptr) {
        delete[] finding->boundaries;
        delete[] finding->strengths;
    }
    delete finding;
}

uint64_t Cartova_SecondsToSamples(uint64_t sampleRate, double seconds)
{
    return SecondsToSamples(sampleRate, seconds);
}

TkError Cartova_GetDroppedAudio(TkDroppedAudio** list, size_t* count)
{
    *count = Fake().droppedAudio.size();
    *list = *count == 0 ? nullptr : new TkDroppedAudio[*count];
    std::copy(Fake().droppedAudio.begin(), Fake().droppedAudio.end(), *list);
    return TkErrorSuccess;
}

void Cartova_ReleaseDroppedAudio(TkDroppedAudio* list)
{
    delete[] list;
}

TkError Cartova_GetRecoverableRecordings(const char*, TkRecoverableList** list)
{
    const std::vector<FakeCartova::Recoverable>& all = Fake().recoverable;
    *list = new TkRecoverableList{new TkRecoverable[all.size() + 1], all.size()};
    for (size_t i = 0; i < all.size(); ++i) {
        (*list)->items[i] = all[i].info;
        (*list)->items[i].id = Dup(all[i].id);
        (*list)->items[i].started = all[i].started;
        (*list)->items[i].folder = Dup(Fake().tempDirectory);
        (*list)->items[i].missing = Dup(all[i].missing);
    }
    return TkErrorSuccess;
}

void Cartova_ReleaseRecoverableRecordings(TkRecoverableList* list)
{
    for (size_t i = 0; list != nullptr && i < list->count; ++i) {
        std::free(list->items[i].id);
        std::free(list->items[i].folder);
        std::free(list->items[i].missing);
    }
    if (list != nullptr)
        delete[] list->items;
    delete list;
}

TkError Cartova_OpenRecoverableRecording(const char* id)
{
    Fake().opened.push_back(id);
    Fake().hasJournal = Fake().openRecoverableResult == TkErrorSuccess;
    return Fake().openRecoverableResult;
}

TkError Cartova_DiscardRecoverableRecording(const char*, const char* id)
{
    Fake().discarded.push_back(id);
    std::erase_if(Fake().recoverable, [id](const FakeCartova::Recoverable& r) { return r.id == id; });
    return TkErrorSuccess;
}

TkError Cartova_SetRecordingNotes(const double* markers, size_t marker_count, const char* const* names,
                                  size_t name_count)
{
    ++Fake().setNotesCalls;
    if (!Fake().hasJournal)
        return TkErrorInvalidState;
    Fake().notesMarkers.assign(markers, markers + marker_count);
    Fake().notesNames.assign(names, names + name_count);
    return TkErrorSuccess;
}

TkError Cartova_GetRecordingNotes(TkRecordingNotes** notes)
{
    *notes = nullptr;
    if (!Fake().hasJournal)
        return TkErrorInvalidState;
    const size_t names = Fake().notesNames.size();
    *notes = new TkRecordingNotes{new double[Fake().notesMarkers.size() + 1], Fake().notesMarkers.size(),
                                  new char*[names + 1], names};
    std::copy(Fake().notesMarkers.begin(), Fake().notesMarkers.end(), (*notes)->markers);
    for (size_t i = 0; i < names; ++i)
        (*notes)->names[i] = Dup(Fake().notesNames[i]);
    return TkErrorSuccess;
}

void Cartova_ReleaseRecordingNotes(TkRecordingNotes* notes)
{
    for (size_t i = 0; notes != nullptr && i < notes->name_count; ++i)
        std::free(notes->names[i]);
    if (notes != nullptr) {
        delete[] notes->markers;
        delete[] notes->names;
    }
    delete notes;
}

TkError Cartova_DeleteTempLeftovers(const char* folder)
{
    Fake().leftoverFolders.push_back(folder);
    return TkErrorSuccess;
}

TkError Cartova_SetTempDirectory(const char* path)
{
    if (Fake().setTempDirectoryResult == TkErrorSuccess)
        Fake().tempDirectory = path;
    return Fake().setTempDirectoryResult;
}

} // extern "C"

TkError Cartova_FindClicks(TkClickSensitivity sensitivity)
{
    ++Fake().findClicksCalls;
    Fake().clickSensitivity = sensitivity;
    return Fake().findClicksResult;
}

TkError Cartova_FindClicksProgress(int32_t* progress, TkClickAnalysisState* state)
{
    const bool running = Fake().clickAnalysisWaitsForCancel && Fake().findClicksCancels == 0;
    *progress = running ? 500 : 1000;
    *state = running ? TkClickAnalysisRunning
                     : Fake().findClicksCancels > 0 ? TkClickAnalysisCancelled : Fake().clickAnalysisEnd;
    return TkErrorSuccess;
}

TkError Cartova_FindClicksCancel(void) { return ++Fake().findClicksCancels, TkErrorSuccess; }

TkError Cartova_GetClickPlaces(TkClickPlaceList** list)
{
    auto* copy = new TkClickPlaceList{new TkClickPlace[Fake().clickPlaces.size() + 1], Fake().clickPlaces.size(), 44100, 2};
    std::copy(Fake().clickPlaces.begin(), Fake().clickPlaces.end(), copy->places);
    *list = copy;
    return TkErrorSuccess;
}

void Cartova_ReleaseClickPlaces(TkClickPlaceList* list)
{
    if (list)
        delete[] list->places;
    delete list;
}

TkError Cartova_SetClickRepair(bool on_preview, bool on_save) { return Fake().clickRepair = {on_preview, on_save}, TkErrorSuccess; }

TkError Cartova_ClearClickPlaces(void) { return ++Fake().clearClickPlacesCalls, TkErrorSuccess; }

TkError Cartova_GetRepairedPreviewData(uint64_t first, uint64_t end, int16_t* buffer, size_t samples)
{
    return FakePreview().read(first, end, buffer, samples);
}
