// The computer's default audio output as the playback path sees it: interleaved 32-bit
// float frames in a fixed format, pulled through a render callback on the output's own
// thread. Which output is used is chosen once per process:
//   SILLARO_AUDIO_OUTPUT=null  a silent output paced in real time (machines without a
//                              sound server, tests); SILLARO_AUDIO_CAPTURE=FILE appends
//                              every rendered frame to FILE as raw little-endian floats;
//   otherwise                  the desktop's sound server through its default device.
#pragma once

#include <cstdint>
#include <memory>

// Receives the output's requests for audio.
class DefaultOutputDelegate {
public:
    virtual ~DefaultOutputDelegate() = default;
    // Fill `frames` interleaved float frames at `buffer` (called on the output's thread;
    // must not block).
    virtual void DefaultOutput_RenderCallback(float* buffer, uint32_t frames) = 0;
    // The output stopped on its own (device lost, a device change that could not be
    // followed). Called on the output's thread.
    virtual void DefaultOutput_Failed() {}
};

// Interleaved 32-bit float frames.
struct OutputFormat {
    uint32_t sampleRate = 0;
    uint32_t channels = 0;
    uint32_t bytesPerFrame() const { return channels * static_cast<uint32_t>(sizeof(float)); }
};

class DefaultOutput {
public:
    virtual ~DefaultOutput() = default;

    // The output the environment selects, rendering for `delegate`; none when no output
    // device can be found.
    static std::unique_ptr<DefaultOutput> create(DefaultOutputDelegate* delegate);

    bool getFormat(OutputFormat& format) const;
    // Accepts the format the delegate will render; false when it cannot be played.
    virtual bool setFormat(const OutputFormat& format) = 0;
    // Starts pulling; false when the device cannot be opened.
    virtual bool start() = 0;
    // Stops pulling. Once it returns no render callback runs or will run.
    virtual bool stop() = 0;

protected:
    explicit DefaultOutput(DefaultOutputDelegate* delegate) : m_delegate(delegate) {}
    DefaultOutputDelegate* delegate() const { return m_delegate; }
    OutputFormat m_format;

private:
    DefaultOutputDelegate* m_delegate;
};
