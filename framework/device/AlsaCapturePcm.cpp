// Capture through alsa-lib; see AlsaCapturePcm.h.
#include "device/AlsaCapturePcm.h"

#include <poll.h>

#include <cerrno>
#include <cmath>

#include "platform/Trace.h"

namespace {

// Poll descriptors of one PCM; kernel devices use one, plugin chains a few.
constexpr int kMaxPollDescriptors = 16;

// Frees hardware and software parameter records when a scope ends.
struct HwParams {
    snd_pcm_hw_params_t* p = nullptr;
    HwParams() { snd_pcm_hw_params_malloc(&p); }
    ~HwParams() { snd_pcm_hw_params_free(p); }
};
struct SwParams {
    snd_pcm_sw_params_t* p = nullptr;
    SwParams() { snd_pcm_sw_params_malloc(&p); }
    ~SwParams() { snd_pcm_sw_params_free(p); }
};

double Seconds(const snd_htimestamp_t& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

} // namespace

int AlsaCapturePcm::Open(const std::string& name, std::unique_ptr<AlsaCapturePcm>& pcm)
{
    snd_pcm_t* handle = nullptr;
    // Non-blocking: a device held by another program answers -EBUSY at once.
    const int result = snd_pcm_open(&handle, name.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (result < 0) {
        TRACE("cannot open ALSA PCM %s for capture: %s", name.c_str(), snd_strerror(result));
        return result;
    }
    pcm.reset(new AlsaCapturePcm(handle, name));
    return 0;
}

AlsaCapturePcm::AlsaCapturePcm(snd_pcm_t* pcm, std::string name) : m_pcm(pcm), m_name(std::move(name)) {}

AlsaCapturePcm::~AlsaCapturePcm()
{
    snd_pcm_close(m_pcm);
}

int AlsaCapturePcm::ProbeFormats(uint32_t& channels, std::vector<ProbedFormat>& probed)
{
    return ProbeCaptureFormats(m_pcm, channels, probed);
}

int AlsaCapturePcm::Configure(const PcmHardwareConfig& wanted, PcmHardwareConfig& granted)
{
    HwParams hw;
    SwParams sw;
    if (hw.p == nullptr || sw.p == nullptr) {
        return -ENOMEM;
    }
    int result = snd_pcm_hw_params_any(m_pcm, hw.p);
    if (result < 0) {
        return result;
    }
    snd_pcm_uframes_t buffer = wanted.bufferFrames;
    snd_pcm_uframes_t period = wanted.periodFrames;
    int dir = 0;
    if ((result = snd_pcm_hw_params_set_rate_resample(m_pcm, hw.p, 0)) < 0 ||
        (result = snd_pcm_hw_params_set_access(m_pcm, hw.p, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (result = snd_pcm_hw_params_set_format(m_pcm, hw.p, wanted.format.format)) < 0 ||
        (result = snd_pcm_hw_params_set_channels(m_pcm, hw.p, wanted.channels)) < 0 ||
        (result = snd_pcm_hw_params_set_rate(m_pcm, hw.p, wanted.rate, 0)) < 0 ||
        (result = snd_pcm_hw_params_set_buffer_size_near(m_pcm, hw.p, &buffer)) < 0 ||
        (result = snd_pcm_hw_params_set_period_size_near(m_pcm, hw.p, &period, &dir)) < 0 ||
        (result = snd_pcm_hw_params(m_pcm, hw.p)) < 0) {
        TRACE("%s refuses %s, %u channels at %u Hz: %s", m_name.c_str(),
              snd_pcm_format_name(wanted.format.format), wanted.channels, wanted.rate, snd_strerror(result));
        return result;
    }

    // What was granted must be exactly what was asked for: a different rate
    // or format would silently change the recording.
    snd_pcm_format_t format = SND_PCM_FORMAT_UNKNOWN;
    unsigned int channels = 0;
    unsigned int rateNum = 0;
    unsigned int rateDen = 0;
    snd_pcm_hw_params_get_format(hw.p, &format);
    snd_pcm_hw_params_get_channels(hw.p, &channels);
    snd_pcm_hw_params_get_rate_numden(hw.p, &rateNum, &rateDen);
    snd_pcm_hw_params_get_buffer_size(hw.p, &buffer);
    snd_pcm_hw_params_get_period_size(hw.p, &period, &dir);
    if (format != wanted.format.format || channels != wanted.channels || rateDen == 0 ||
        rateNum != wanted.rate * rateDen) {
        TRACE("%s granted %s, %u channels at %u/%u Hz instead of what was asked", m_name.c_str(),
              snd_pcm_format_name(format), channels, rateNum, rateDen);
        return -EINVAL;
    }

    if ((result = snd_pcm_sw_params_current(m_pcm, sw.p)) < 0 ||
        (result = snd_pcm_sw_params_set_avail_min(m_pcm, sw.p, period)) < 0 ||
        // Started explicitly by the capture thread.
        (result = snd_pcm_sw_params_set_start_threshold(m_pcm, sw.p, buffer + 1)) < 0 ||
        (result = snd_pcm_sw_params_set_stop_threshold(m_pcm, sw.p, buffer)) < 0 ||
        (result = snd_pcm_sw_params(m_pcm, sw.p)) < 0) {
        TRACE("%s: software parameters refused: %s", m_name.c_str(), snd_strerror(result));
        return result;
    }
    if ((result = snd_pcm_prepare(m_pcm)) < 0) {
        return result;
    }
    granted = wanted;
    granted.bufferFrames = buffer;
    granted.periodFrames = period;
    return 0;
}

int AlsaCapturePcm::Start()
{
    return snd_pcm_start(m_pcm);
}

int AlsaCapturePcm::Wait(int stopFd)
{
    struct pollfd fds[kMaxPollDescriptors + 1];
    const int count = snd_pcm_poll_descriptors_count(m_pcm);
    if (count < 0) {
        return count;
    }
    if (count > kMaxPollDescriptors) {
        return -EINVAL;
    }
    const int filled = snd_pcm_poll_descriptors(m_pcm, fds, static_cast<unsigned int>(count));
    if (filled < 0) {
        return filled;
    }
    fds[filled] = {stopFd, POLLIN, 0};
    for (;;) {
        const int ready = poll(fds, static_cast<nfds_t>(filled + 1), -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -errno;
        }
        if ((fds[filled].revents & POLLIN) != 0) {
            return 0;
        }
        unsigned short revents = 0;
        const int result = snd_pcm_poll_descriptors_revents(m_pcm, fds, static_cast<unsigned int>(filled), &revents);
        if (result < 0) {
            return result;
        }
        if ((revents & POLLERR) != 0) {
            // Overrun, suspend or disconnection: the next read tells which.
            return snd_pcm_state(m_pcm) == SND_PCM_STATE_DISCONNECTED ? -ENODEV : 1;
        }
        if ((revents & POLLIN) != 0) {
            return 1;
        }
    }
}

long AlsaCapturePcm::Read(void* buffer, uint64_t frames)
{
    const snd_pcm_sframes_t result = snd_pcm_readi(m_pcm, buffer, static_cast<snd_pcm_uframes_t>(frames));
    if (result == -EAGAIN) {
        return 0;
    }
    if (result < 0 && snd_pcm_state(m_pcm) == SND_PCM_STATE_DISCONNECTED) {
        return -ENODEV;
    }
    return static_cast<long>(result);
}

int AlsaCapturePcm::OverrunFrames(uint32_t rate, uint64_t& lost)
{
    lost = 0;
    snd_pcm_status_t* status = nullptr;
    snd_pcm_status_alloca(&status);
    const int result = snd_pcm_status(m_pcm, status);
    if (result < 0) {
        return result;
    }
    // The frames still buffered are discarded by the restart; the device
    // went on playing since the overrun began.
    lost = snd_pcm_status_get_avail(status);
    if (snd_pcm_status_get_state(status) == SND_PCM_STATE_XRUN) {
        snd_htimestamp_t began{};
        snd_htimestamp_t now{};
        snd_pcm_status_get_trigger_htstamp(status, &began);
        snd_pcm_status_get_htstamp(status, &now);
        const double seconds = Seconds(now) - Seconds(began);
        if (seconds > 0 && Seconds(began) > 0) {
            lost += static_cast<uint64_t>(std::llround(seconds * rate));
        }
    }
    return 0;
}

int AlsaCapturePcm::Recover(int error)
{
    const int result = snd_pcm_recover(m_pcm, error, 1);
    if (result < 0) {
        return result;
    }
    // A resumed stream runs on; a re-prepared one waits for its start.
    return snd_pcm_state(m_pcm) == SND_PCM_STATE_PREPARED ? snd_pcm_start(m_pcm) : 0;
}

int AlsaCapturePcm::Drop()
{
    return snd_pcm_drop(m_pcm);
}

bool AlsaCapturePcm::HasDeviceClock() const
{
    return snd_pcm_type(m_pcm) == SND_PCM_TYPE_HW;
}
