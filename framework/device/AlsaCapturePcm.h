// A capture PCM opened through alsa-lib: non-blocking open (a busy device
// answers at once instead of hanging), the set-up of the stream with no
// resampling or format conversion, and the reads of the capture thread.
#pragma once

#include <alsa/asoundlib.h>

#include <memory>
#include <string>

#include "device/ICapturePcm.h"

class AlsaCapturePcm : public ICapturePcm {
public:
    // Opens `name` ("hw:CARD=...,DEV=0" or any PCM the configuration defines)
    // for capture; -EBUSY when another program holds the device.
    static int Open(const std::string& name, std::unique_ptr<AlsaCapturePcm>& pcm);
    ~AlsaCapturePcm() override;

    AlsaCapturePcm(const AlsaCapturePcm&) = delete;
    AlsaCapturePcm& operator=(const AlsaCapturePcm&) = delete;

    snd_pcm_t* Handle() const { return m_pcm; }
    const std::string& Name() const { return m_name; }

    int ProbeFormats(uint32_t& channels, std::vector<ProbedFormat>& probed) override;
    int Configure(const PcmHardwareConfig& wanted, PcmHardwareConfig& granted) override;
    int Start() override;
    int Wait(int stopFd) override;
    long Read(void* buffer, uint64_t frames) override;
    int OverrunFrames(uint32_t rate, uint64_t& lost) override;
    int Recover(int error) override;
    int Drop() override;
    bool HasDeviceClock() const override;

private:
    AlsaCapturePcm(snd_pcm_t* pcm, std::string name);

    snd_pcm_t* m_pcm;
    std::string m_name;
};
