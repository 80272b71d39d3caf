// The operations the capture thread needs of an opened capture PCM, so that
// tests can stand in for a device that overruns or goes away. Results are 0
// or a negative errno, as alsa-lib returns them.
#pragma once

#include <cstdint>
#include <vector>

#include "device/PcmFormatProbe.h"
#include "device/PcmSampleFormat.h"

// What the capture thread asks for and what the PCM grants.
struct PcmHardwareConfig {
    PcmSampleFormat format;
    uint32_t channels = 0;
    uint32_t rate = 0;
    uint64_t bufferFrames = 0;
    uint64_t periodFrames = 0;
};

class ICapturePcm {
public:
    virtual ~ICapturePcm() = default;

    // The channel count to capture and, per sample format, the rates offered
    // (see PcmFormatProbe.h).
    virtual int ProbeFormats(uint32_t& channels, std::vector<ProbedFormat>& probed) = 0;

    // Sets up the stream: interleaved access, exactly the format, channels
    // and rate asked for (no resampling or conversion), a buffer and period
    // near the request. Fails with -EINVAL when the format or rate granted is
    // not exactly the one asked for.
    virtual int Configure(const PcmHardwareConfig& wanted, PcmHardwareConfig& granted) = 0;
    virtual int Start() = 0;
    // Waits until frames can be read or `stopFd` becomes readable: 1 when
    // frames are ready, 0 when stop was signalled, else a negative errno.
    virtual int Wait(int stopFd) = 0;
    // Reads up to `frames` interleaved frames without blocking: the count
    // read (0 when none are ready), or -EPIPE (overrun), -ESTRPIPE
    // (suspended), -ENODEV (the device is gone) or another negative errno.
    virtual long Read(void* buffer, uint64_t frames) = 0;
    // The frames an overrun has lost so far (the buffered frames the restart
    // discards and the time since it began, at `rate`). Called before Recover.
    virtual int OverrunFrames(uint32_t rate, uint64_t& lost) = 0;
    // Restarts the stream after -EPIPE or -ESTRPIPE.
    virtual int Recover(int error) = 0;
    virtual int Drop() = 0;
    // Whether the PCM has a clock of its own (a kernel device). A plugin
    // chain that ends in a null device delivers as fast as it is read.
    virtual bool HasDeviceClock() const = 0;
};
