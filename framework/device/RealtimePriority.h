// Real-time scheduling for the capture thread: SCHED_FIFO directly when the
// process may (RLIMIT_RTPRIO or privileges), else through the desktop's
// real-time broker over D-Bus (org.freedesktop.RealtimeKit1), else the
// thread keeps its normal priority.
#pragma once

#include <string>

// Raises the calling thread to `priority` (1..99, lowered to what is
// granted) and says what was obtained, e.g. "SCHED_FIFO priority 70" or
// "normal priority (no real-time permission: ...)".
std::string MakeCurrentThreadRealtime(int priority);
