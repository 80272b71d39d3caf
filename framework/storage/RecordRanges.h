// The recorded parts of a window of a stream: pairs (first, second) of
// positions in time order. A pair with first == second is open: it is
// recorded from first to the end of the window.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

using RecordRange = std::pair<uint64_t, uint64_t>;
using RecordRangeList = std::vector<RecordRange>;
