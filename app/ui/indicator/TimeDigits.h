// The time display's digits and the names of the images that show them, in drawing order.
#pragma once

#include <QStringList>
#include <array>

// Six digits of MM:SS.t0 for a time in seconds, clamped to 0 .. 5999.9 and rounded to tenths.
std::array<int, 6> MakeDigits(double seconds);

// Image names for the current time in large and medium digits and, unless hideTotal, the
// slash and the total time in small digits, e.g. "timecode_L_1", "timecode_L_colon", ...
QStringList TimeImageNames(double currentTime, double totalTime, bool hideTotal);
