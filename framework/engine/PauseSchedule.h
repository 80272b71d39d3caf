// Pauses planned before a recording: each at a point of recorded time, for a
// length of captured time. The recording thread asks after every stored
// capture buffer whether the recording must pause or resume now, so a
// planned pause starts within one capture buffer of its time however fast
// the device delivers, which no caller polling the position can promise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "interface/cartova.h"

class PauseSchedule {
public:
    enum class Step { None, Pause, Resume };

    // Replaces the plan; an empty list clears it. -2 when a time is negative
    // or not finite, a length is not positive, or the times do not ascend.
    TkError Set(const TkPauseSpan* spans, size_t count);
    // Starts the plan again from its first pause (each recording).
    void Restart();

    // After a stored capture buffer: recorded and captured lengths in samples
    // of one channel at `rate` samples a second, and whether the engine is
    // recording (not paused). Pause when the recorded length has reached the
    // next pause while recording; Resume when a planned pause has lasted its
    // length of captured time.
    Step Next(uint64_t recorded, uint64_t captured, uint64_t rate, bool recording);

private:
    std::mutex m_lock;
    std::vector<TkPauseSpan> m_spans;
    size_t m_next = 0;
    bool m_pausing = false;
    uint64_t m_resumeAt = 0; // captured samples
};
