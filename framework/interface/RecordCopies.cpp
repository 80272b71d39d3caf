// Exported copies of device lists, device descriptions and track-boundary lists.
#include "RecordCopies.h"

#include "engine/DeviceDescription.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

char* CopyString(const std::string& text)
{
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy != nullptr) {
        std::memcpy(copy, text.c_str(), text.size() + 1);
    }
    return copy;
}

// Copies a frequency list; an empty list gives null with no allocation.
bool CopyFrequencies(const std::vector<uint32_t>& source, uint32_t** out, size_t* count)
{
    *out = nullptr;
    *count = 0;
    if (source.empty()) {
        return true;
    }
    *out = static_cast<uint32_t*>(std::malloc(source.size() * sizeof(uint32_t)));
    if (*out == nullptr) {
        return false;
    }
    std::memcpy(*out, source.data(), source.size() * sizeof(uint32_t));
    *count = source.size();
    return true;
}

} // namespace

TkDeviceNameList* CopyDeviceNameList(const std::vector<std::string>& names)
{
    auto* list = static_cast<TkDeviceNameList*>(std::calloc(1, sizeof(TkDeviceNameList)));
    if (list == nullptr) {
        return nullptr;
    }
    if (names.empty()) {
        return list;
    }
    list->names = static_cast<char**>(std::calloc(names.size(), sizeof(char*)));
    if (list->names == nullptr) {
        FreeDeviceNameList(list);
        return nullptr;
    }
    for (const std::string& name : names) {
        char* copy = CopyString(name);
        if (copy == nullptr) {
            FreeDeviceNameList(list);
            return nullptr;
        }
        list->names[list->count++] = copy;
    }
    return list;
}

void FreeDeviceNameList(TkDeviceNameList* list)
{
    if (list == nullptr) {
        return;
    }
    for (size_t i = 0; i < list->count; ++i) {
        std::free(list->names[i]);
    }
    std::free(list->names);
    std::free(list);
}

TkAudioDeviceInfo* CopyAudioDeviceInfo(const DeviceDescription& description)
{
    auto* info = static_cast<TkAudioDeviceInfo*>(std::calloc(1, sizeof(TkAudioDeviceInfo)));
    if (info == nullptr) {
        return nullptr;
    }
    info->device_name = CopyString(description.deviceName);
    if (info->device_name == nullptr ||
        !CopyFrequencies(description.pcmFrequencies, &info->PCM_supported_freq,
                         &info->PCM_supported_freq_count) ||
        !CopyFrequencies(description.dsdFrequencies, &info->DSD_supported_freq,
                         &info->DSD_supported_freq_count)) {
        FreeAudioDeviceInfo(info);
        return nullptr;
    }
    info->vid = description.vid;
    info->pid = description.pid;
    info->i_ch = description.inputChannels;
    info->o_ch = description.outputChannels;
    info->PCM_supported_bits = description.pcmSupportedBits;
    info->PCM_record_bits = description.pcmRecordBits;
    return info;
}

void FreeAudioDeviceInfo(TkAudioDeviceInfo* info)
{
    if (info == nullptr) {
        return;
    }
    std::free(info->device_name);
    std::free(info->PCM_supported_freq);
    std::free(info->DSD_supported_freq);
    std::free(info);
}

TkDroppedAudio* CopyDroppedAudio(const std::vector<TkDroppedAudio>& gaps)
{
    if (gaps.empty()) {
        return nullptr;
    }
    auto* copy = static_cast<TkDroppedAudio*>(std::malloc(gaps.size() * sizeof(TkDroppedAudio)));
    if (copy != nullptr) {
        std::memcpy(copy, gaps.data(), gaps.size() * sizeof(TkDroppedAudio));
    }
    return copy;
}

TkTrackBoundaryList* CopyTrackBoundaryList(const std::vector<double>& seconds)
{
    auto* list = static_cast<TkTrackBoundaryList*>(std::calloc(1, sizeof(TkTrackBoundaryList)));
    if (list == nullptr) {
        return nullptr;
    }
    if (seconds.empty()) {
        return list;
    }
    list->seconds = static_cast<double*>(std::calloc(seconds.size(), sizeof(double)));
    if (list->seconds == nullptr) {
        std::free(list);
        return nullptr;
    }
    std::copy(seconds.begin(), seconds.end(), list->seconds);
    list->count = seconds.size();
    return list;
}

void FreeTrackBoundaryList(TkTrackBoundaryList* list)
{
    if (list == nullptr) {
        return;
    }
    std::free(list->seconds);
    std::free(list);
}
