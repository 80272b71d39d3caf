// Drives one recording through the exported functions on the process's one
// engine (simulated turntable, CARTOVA_SIM_SPEED 2), running the delegate's
// tasks on a MainQueue, and keeps what the application would see: the
// notifications in order, and the recording view read while it grows (it
// keeps only its newest chunks in memory).
#pragma once

// ThreadSanitizer slows every thread several times over; the simulated
// turntable then runs in real time and the tests allow the framework longer
// to catch up with it.
#if defined(__SANITIZE_THREAD__)
constexpr bool kUnderThreadSanitizer = true;
#else
constexpr bool kUnderThreadSanitizer = false;
#endif

#include <chrono>
#include <cstdint>
#include <vector>

#include "cartova.h"

struct SessionLog {
    std::vector<int> operations;
    std::vector<int> errors;
    std::vector<double> streamPositions;
    std::vector<double> convertPositions;
    bool wrongThread = false;
    bool stopped = false;          // TkRecOperationStopped has arrived
    int positionsAfterStop = 0;    // stream or convert positions after it
};

class RecordingSession {
public:
    // Initialises the engine on first use and selects the turntable; then
    // sets the format and clears the previous recording.
    RecordingSession(int recType, uint64_t freq, uint16_t bits);

    // Runs the main queue for `wall` while reading the recording view.
    void Run(std::chrono::milliseconds wall);
    // Runs the main queue until `operation` has arrived (false on timeout).
    bool WaitFor(int operation, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Reads what is new in the recording view; returns its length in frames.
    uint64_t Poll();

    const SessionLog& Log() const;
    // Interleaved stereo frames of the recording view, all read so far.
    const std::vector<int16_t>& Captured() const { return m_captured; }
    // The whole finished view, read after the recording stopped.
    std::vector<int16_t> Finished() const;

private:
    std::vector<int16_t> m_captured;
};

// A stretch of the recording view that appears in the finished view.
struct Segment {
    uint64_t first; // frame of the recording view
    uint64_t end;
};

// Splits `finished` into the stretches of `captured` it is made of, in
// order. Empty when some frames of `finished` appear nowhere after the
// previous stretch.
std::vector<Segment> LocateSegments(const std::vector<int16_t>& captured, const std::vector<int16_t>& finished);
