// Building the description of the open device.
#include "engine/DeviceDescription.h"

#include "device/CoreAudioManager.h"
#include "device/FoundDeviceInfo.h"

#include <algorithm>
#include <iterator>

void GetSupportedSamplingRates(CoreAudioManager& device, std::vector<uint32_t>& rates,
                               const uint32_t* table, size_t count)
{
    rates.clear();
    for (size_t i = 0; i < count; ++i) {
        if (device.CanSampleRate(static_cast<double>(table[i])) == TkErrorSuccess) {
            rates.push_back(table[i]);
        }
    }
}

void ApplyDeviceFlags(uint32_t flags, DeviceDescription& description)
{
    struct Withheld {
        uint32_t bit;
        uint32_t frequency;
        bool dsd;
    };
    static constexpr Withheld kWithheld[] = {
        {DeviceFlagNoPcm88200, 88200, false},        {DeviceFlagNoPcm176400, 176400, false},
        {DeviceFlagNoPcm352800, 352800, false},      {DeviceFlagNoPcm705600, 705600, false},
        {DeviceFlagNoDsd2822400, 2822400, true},     {DeviceFlagNoDsd5644800, 5644800, true},
        {DeviceFlagNoDsd11289600, 11289600, true},
    };
    for (const Withheld& w : kWithheld) {
        if ((flags & w.bit) == 0) {
            continue;
        }
        std::vector<uint32_t>& list = w.dsd ? description.dsdFrequencies : description.pcmFrequencies;
        list.erase(std::remove(list.begin(), list.end(), w.frequency), list.end());
    }
}

TkError BuildDeviceDescription(CoreAudioManager& device, const FoundDeviceInfo& found,
                               DeviceDescription& out)
{
    DeviceDescription description;
    TkError result = device.GetChannels(description.inputChannels, description.outputChannels);
    if (result != TkErrorSuccess) {
        return result;
    }
    if (device.SetSampleType(CoreAudioManager::kSampleTypeDsd) == TkErrorSuccess) {
        GetSupportedSamplingRates(device, description.dsdFrequencies, kDsdFrequencyTable,
                                  std::size(kDsdFrequencyTable));
    }
    if (device.SetSampleType(CoreAudioManager::kSampleTypePcm) == TkErrorSuccess) {
        result = device.GetBits(description.pcmSupportedBits, description.pcmRecordBits);
        if (result != TkErrorSuccess) {
            return result;
        }
        GetSupportedSamplingRates(device, description.pcmFrequencies, kPcmFrequencyTable,
                                  std::size(kPcmFrequencyTable));
    }
    ApplyDeviceFlags(found.flags, description);
    description.deviceName = found.name;
    description.vid = found.vid;
    description.pid = found.pid;
    out = std::move(description);
    return TkErrorSuccess;
}
