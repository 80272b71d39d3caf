// Where the waveform worker reads the finished preview stream: the framework bridge in
// the program, an in-memory stream in tests and benchmarks. Called from the worker thread.
#pragma once

#include <cstddef>
#include <cstdint>

class PreviewSource {
public:
    virtual ~PreviewSource() = default;
    // Number of interleaved stereo frames available; false when it cannot be read.
    virtual bool GetPreviewDataLength(uint64_t& frames) = 0;
    // Copies frames [from, to) as interleaved 16-bit values, channel 1 first, into buffer
    // (capacity in values); false on failure.
    virtual bool GetPreviewDataFrom(uint64_t from, uint64_t to, int16_t* buffer, size_t bufferValues) = 0;
};

// The finished preview stream of the framework, through the application's bridge.
class BridgePreviewSource : public PreviewSource {
public:
    bool GetPreviewDataLength(uint64_t& frames) override;
    bool GetPreviewDataFrom(uint64_t from, uint64_t to, int16_t* buffer, size_t bufferValues) override;
};
