// The description of the open device that the engine builds when a device is
// opened and hands out (as a copy) through GetAudioDeviceInfo: identity,
// channel counts, PCM bit depths and the accepted PCM and DSD frequencies.
#pragma once

#include "interface/cartova.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CoreAudioManager;
struct FoundDeviceInfo;

struct DeviceDescription {
    std::string deviceName;
    int32_t vid = -1;
    int32_t pid = -1;
    uint16_t inputChannels = 0;
    uint16_t outputChannels = 0;
    uint16_t pcmSupportedBits = 0; // valid bits of the best integer PCM input format
    uint16_t pcmRecordBits = 0;    // container bits of that format
    std::vector<uint32_t> pcmFrequencies; // ascending, Hz
    std::vector<uint32_t> dsdFrequencies; // ascending, DSD bit rates
};

// The frequencies the description may list, in ascending order.
inline constexpr uint32_t kPcmFrequencyTable[] = {44100, 48000, 88200, 96000,
                                                  176400, 192000, 352800, 384000};
inline constexpr uint32_t kDsdFrequencyTable[] = {2822400, 5644800, 11289600};

// Empties rates, then appends each of the count table entries, in order,
// that the device accepts in its current sample type.
void GetSupportedSamplingRates(CoreAudioManager& device, std::vector<uint32_t>& rates,
                               const uint32_t* table, size_t count);

// Removes the frequencies that the device flags withhold (bits 0-3 from the
// PCM list, bits 4-6 from the DSD list).
void ApplyDeviceFlags(uint32_t flags, DeviceDescription& description);

// Describes the open device: channel counts, the DSD list (when the device
// switches to DSD), then PCM bits and list (when it switches to PCM; the
// device is left in PCM), the flags applied. An error reading the channels
// or the PCM bits is returned and out is left unchanged.
TkError BuildDeviceDescription(CoreAudioManager& device, const FoundDeviceInfo& found,
                               DeviceDescription& out);
