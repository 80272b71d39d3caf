// Choosing among a device's available physical formats: the better of two by
// bit depth and channels, and the best integer PCM format for a rate.
#pragma once

#include <cstdint>
#include <vector>

#include "device/AudioHardwareTypes.h"

// The better of two descriptions for a wished bit depth (either may be null,
// then the other is returned): equal depths prefer more channels (a on a
// tie); otherwise an exact match, then the smallest depth above the wish,
// and when both are below it the deeper one.
const AudioStreamRangedDescription* CompareASRD(const AudioStreamRangedDescription* a,
                                                const AudioStreamRangedDescription* b,
                                                uint32_t wishBits);

// Mixable signed-integer linear PCM: the formats the device layer uses.
bool IsIntegerLinearPcm(const AudioStreamBasicDescription& format);

// The best integer PCM format whose rate is `rate`, or whose rate is 0 with
// `rate` inside its range; null when none qualifies.
const AudioStreamRangedDescription* SearchASRD(const std::vector<AudioStreamRangedDescription>& formats,
                                               double rate, uint32_t wishBits);
