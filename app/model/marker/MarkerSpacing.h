// The minimum distance between neighbouring markers, 0.2 s, compared in single precision so
// that the limits fall exactly on 0.2 s after a marker and 0.2 s before the next one
// (at 600 s, 0.2 and 599.8 are both accepted).
#pragma once

inline constexpr float kMarkerSpacing = 0.2f;

// Whether t is at least the spacing after a marker at earlier.
inline bool IsSpacedAfter(double earlier, double t)
{
    return static_cast<float>(t) >= static_cast<float>(earlier) + kMarkerSpacing;
}

// Whether t is at least the spacing before a marker at later.
inline bool IsSpacedBefore(double t, double later)
{
    return static_cast<float>(t) <= static_cast<float>(later) - kMarkerSpacing;
}
