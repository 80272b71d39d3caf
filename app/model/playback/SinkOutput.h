// The desktop's sound server as the playback output: a QAudioSink on the default output
// device, created and run on a render thread of its own, pulling frames through a
// QIODevice that asks the delegate for them. The preview stream is offered at its own
// rate as 32-bit float (16-bit integer as a fallback); when the device refuses the rate,
// the device's preferred rate is used and the frames are resampled on the way. When the
// user picks another default device, playback moves to it.
#pragma once

#include "playback/DefaultOutput.h"

#include <QThread>
#include <memory>

class SinkRenderer;

class SinkOutput : public DefaultOutput {
public:
    // None when the system has no default output device.
    static std::unique_ptr<SinkOutput> create(DefaultOutputDelegate* delegate);
    ~SinkOutput() override;

    bool setFormat(const OutputFormat& format) override;
    bool start() override;
    bool stop() override;

private:
    explicit SinkOutput(DefaultOutputDelegate* delegate);

    QThread m_thread;
    SinkRenderer* m_renderer = nullptr; // lives on m_thread
};
