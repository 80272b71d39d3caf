// USB identity and name of the one turntable model the framework records from.
#pragma once

#include <cstdint>

inline constexpr int32_t kTurntableVendorId = 0x2F6C;
inline constexpr int32_t kTurntableProductId = 0x0C20;
inline constexpr const char* kTurntableName = "QT-LV200";
// The whole device name must match this expression (ECMAScript grammar).
inline constexpr const char* kTurntableNamePattern = "^QT-LV200$";
