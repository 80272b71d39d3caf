// Rate limit for the overrun warnings of a capture thread. An overrun is
// reported on the thread that has just fallen behind, so a storm of them
// must not become a storm of log writes there: the first overrun of a
// capture is logged at once, later ones at most once per interval, each
// line counting the overruns and frames lost since the previous line. What
// is still unlogged when the capture stops is logged then (Flush), from the
// stopping thread. Time is passed in, so the rule can be checked without a
// clock. Not thread-safe: its owner serialises the calls.
#pragma once

#include <chrono>
#include <cstdint>

class OverrunWarnings {
public:
    using Clock = std::chrono::steady_clock;

    // What one warning line reports: the overruns and frames lost since the
    // previous line, and the stream position of the latest overrun.
    struct Line {
        uint64_t overruns = 0;
        uint64_t framesLost = 0;
        uint64_t position = 0;
    };

    explicit OverrunWarnings(Clock::duration interval = std::chrono::seconds(1)) : m_interval(interval) {}

    // Counts one overrun at stream position `position` that lost `framesLost`
    // frames, at time now. True, with the line to log, when one is due.
    bool Add(Clock::time_point now, uint64_t position, uint64_t framesLost, Line& line);
    // True, with the line, when overruns are counted but not yet logged;
    // starts over, so the next overrun is logged at once.
    bool Flush(Line& line);

private:
    Clock::duration m_interval;
    bool m_loggedBefore = false;
    Clock::time_point m_lastLine{};
    Line m_pending;
};
