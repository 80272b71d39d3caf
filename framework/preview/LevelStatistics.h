// Order statistics of short-term levels (dB per 10 ms window), the robust
// measures the track finder is built on: a click or a burst of crackle moves
// a mean but not a median or a percentile, as long as it fills less than
// the share of the windows that the statistic ignores (see Huber and
// Ronchetti, "Robust Statistics", 2nd ed., 2009, ch. 1 and 3 on the median
// and quantiles as estimators with a high breakdown point).
#pragma once

#include <cstddef>
#include <vector>

// The value below which `fraction` (0 to 1) of values[begin, end) lie:
// the element of rank fraction * (count - 1), rounded down. begin < end.
float LevelPercentile(const std::vector<float>& values, size_t begin, size_t end, double fraction);

// Running median: output i is the median of the windows within
// halfWidth of i (fewer at the ends).
std::vector<float> RunningMedian(const std::vector<float>& levelsDb, size_t halfWidth);

// Running percentile on a coarse grid: output i is the percentile of the
// windows of [first, last) within halfWidth of the grid point nearest
// below i (grid points every `hop` windows). Outside [first, last) the
// output is the level itself.
std::vector<float> RunningPercentile(const std::vector<float>& levelsDb, size_t first, size_t last,
                                     size_t halfWidth, size_t hop, double fraction);
