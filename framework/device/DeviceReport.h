// A readable account of the device search for diagnosis: every device the
// back-end lists, and whether the device filter keeps it or why it is left
// out (USB identifiers, name, no USB identity).
#pragma once

#include <string>
#include <vector>

#include "device/FoundDeviceInfo.h"

// Why the filter leaves the device out; empty when it is the turntable.
std::string FilterVerdict(const FoundDeviceInfo& device);

// One line per device: "NAME [UID] USB VVVV:PPPP: the turntable" or
// "...: left out: REASON".
std::string DescribeDeviceSearch(const std::vector<FoundDeviceInfo>& devices);
