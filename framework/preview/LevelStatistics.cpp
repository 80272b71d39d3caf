// Order statistics of window levels; see LevelStatistics.h.
#include "preview/LevelStatistics.h"

#include <algorithm>

float LevelPercentile(const std::vector<float>& values, size_t begin, size_t end, double fraction)
{
    std::vector<float> copy(values.begin() + static_cast<std::ptrdiff_t>(begin),
                            values.begin() + static_cast<std::ptrdiff_t>(end));
    const auto rank = static_cast<size_t>(fraction * static_cast<double>(copy.size() - 1));
    std::nth_element(copy.begin(), copy.begin() + static_cast<std::ptrdiff_t>(rank), copy.end());
    return copy[rank];
}

std::vector<float> RunningMedian(const std::vector<float>& levelsDb, size_t halfWidth)
{
    std::vector<float> smoothed(levelsDb.size());
    std::vector<float> window;
    window.reserve(2 * halfWidth + 1);
    for (size_t i = 0; i < levelsDb.size(); ++i) {
        const size_t first = i >= halfWidth ? i - halfWidth : 0;
        const size_t last = std::min(levelsDb.size(), i + halfWidth + 1);
        window.assign(levelsDb.begin() + static_cast<std::ptrdiff_t>(first),
                      levelsDb.begin() + static_cast<std::ptrdiff_t>(last));
        const auto middle = window.begin() + static_cast<std::ptrdiff_t>(window.size() / 2);
        std::nth_element(window.begin(), middle, window.end());
        smoothed[i] = *middle;
    }
    return smoothed;
}

std::vector<float> RunningPercentile(const std::vector<float>& levelsDb, size_t first, size_t last,
                                     size_t halfWidth, size_t hop, double fraction)
{
    std::vector<float> result(levelsDb);
    float value = 0.0f;
    for (size_t i = first; i < last; ++i) {
        if ((i - first) % hop == 0) {
            const size_t begin = i - first >= halfWidth ? i - halfWidth : first;
            const size_t end = std::min(last, i + halfWidth + 1);
            value = LevelPercentile(levelsDb, begin, end, fraction);
        }
        result[i] = value;
    }
    return result;
}
