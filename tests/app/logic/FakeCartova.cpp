// Test double of the Cartova functions.
#include "FakeCartova.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

FakeCartova& Fake()
{
    static FakeCartova fake;
    return fake;
}

void ResetFake()
{
    Fake() = FakeCartova{};
    FakePreview().clear();
}

FakePreviewStream& FakePreview()
{
    static FakePreviewStream stream;
    return stream;
}

void FakePreviewStream::append(const std::vector<int16_t>& interleaved)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values.insert(m_values.end(), interleaved.begin(), interleaved.end());
}

void FakePreviewStream::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_values.clear();
    m_onLengthQuery = nullptr;
    m_lengthQueries = 0;
}

uint64_t FakePreviewStream::frames() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_values.size() / 2;
}

void FakePreviewStream::setOnLengthQuery(std::function<void(int)> hook)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_onLengthQuery = std::move(hook);
    m_lengthQueries = 0;
}

TkError FakePreviewStream::length(uint64_t* frames)
{
    std::function<void(int)> hook;
    int query = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        hook = m_onLengthQuery;
        query = ++m_lengthQueries;
    }
    if (hook)
        hook(query);
    *frames = this->frames();
    return TkErrorSuccess;
}

TkError FakePreviewStream::read(uint64_t first, uint64_t end, int16_t* buffer, size_t bufferSamples) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (first > end || end > m_values.size() / 2 || bufferSamples < (end - first) * 2)
        return TkErrorInvalidArgument;
    std::copy(m_values.begin() + static_cast<ptrdiff_t>(first * 2), m_values.begin() + static_cast<ptrdiff_t>(end * 2),
              buffer);
    return TkErrorSuccess;
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
    i->PCM_record_bits = 32;
    i->PCM_supported_freq = new uint32_t[2]{44100, 48000};
    i->PCM_supported_freq_count = 2;
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

TkError Cartova_StartPreRecording(void) { return TkErrorSuccess; }
TkError Cartova_Start(void) { return TkErrorSuccess; }

TkError Cartova_Stop(bool wait)
{
    Fake().stopCalls.push_back(wait);
    return TkErrorSuccess;
}

TkError Cartova_Pause(void)
{
    ++Fake().pauseCalls;
    return TkErrorSuccess;
}

TkError Cartova_Resume(void) { return TkErrorSuccess; }
TkError Cartova_EnableLoopback(int8_t) { return TkErrorNotSupported; }
TkError Cartova_StartPlay(double) { return TkErrorNotSupported; }
TkError Cartova_GetPreviewData(uint64_t first, uint64_t end, int16_t* buffer, size_t bufferSamples)
{
    return FakePreview().read(first, end, buffer, bufferSamples);
}

TkError Cartova_GetRecordingPreviewData(uint64_t, uint64_t, int16_t*, size_t) { return TkErrorSuccess; }

TkError Cartova_GetPreviewDataLength(uint64_t* frames) { return FakePreview().length(frames); }

TkError Cartova_GetRecordingPreviewDataLength(uint64_t* frames)
{
    *frames = 0;
    return TkErrorSuccess;
}

TkError Cartova_SaveFile(const TkSaveSetting*, size_t) { return TkErrorSuccess; }

TkError Cartova_SaveFileProgress(int32_t* file, int32_t* total)
{
    *file = 0;
    *total = 0;
    return TkErrorSuccess;
}

TkError Cartova_SaveFileCancel(bool) { return TkErrorSuccess; }

TkError Cartova_SetTempDirectory(const char* path)
{
    if (Fake().setTempDirectoryResult == TkErrorSuccess)
        Fake().tempDirectory = path;
    return Fake().setTempDirectoryResult;
}

} // extern "C"
