// Capture through alsa-lib itself: PCMs of a test-local configuration (the
// file plugin over a null device) probed for formats and recorded through
// the device manager, DSD carriage included.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "capture/Float_To_DSD16.h"
#include "device/AlsaAudioSystem.h"
#include "device/AlsaCapturePcm.h"
#include "device/CoreAudioManager.h"
#include "device/PcmFormatProbe.h"
#include "device/TurntableIdentity.h"
#include "support/AlsaTestConfig.h"
#include "support/FakeUsbDeviceAccess.h"

namespace {

constexpr uint32_t kDsdCarriageRate = 705600; // DSD256 / 16
constexpr size_t kDsdFrames = kDsdCarriageRate / 4;

// DSD carriage words: 16 DSD bits per 16-bit word, stereo, random.
const std::vector<uint8_t>& DsdWords()
{
    static const std::vector<uint8_t> words = AlsaTestConfig::RandomSamples(kDsdFrames * 2, 2, 0, 7);
    return words;
}

class AlsaFilePlugin : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        config = new AlsaTestConfig;
        config->AddFilePcm("cartova_dsd", DsdWords());
        setenv("ALSA_CONFIG_PATH", config->Write().c_str(), 1);
    }
    static void TearDownTestSuite()
    {
        delete config;
        config = nullptr;
    }
    static AlsaTestConfig* config;
};
AlsaTestConfig* AlsaFilePlugin::config = nullptr;

// Keeps the DSD words the IO procedure's floats stand for.
class DsdCollector : public IAudioDeviceNotify {
public:
    void AudioDevice_ProcessorOverload() override {}
    void AudioDevice_DeviceIsAliveChanged() override {}
    void AudioDevice_IOProc(const AudioBufferList* input, AudioBufferList*) override
    {
        std::lock_guard lock(m_mutex);
        const AudioBuffer& buffer = input->mBuffers[0];
        const auto* samples = static_cast<const float*>(buffer.mData);
        for (size_t i = 0; i < buffer.mDataByteSize / sizeof(float); ++i) {
            const auto word = static_cast<uint16_t>(DsdWordFromFloat(samples[i]));
            words.push_back(static_cast<uint8_t>(word & 0xFF));
            words.push_back(static_cast<uint8_t>(word >> 8));
        }
        m_changed.notify_all();
    }
    bool WaitForBytes(size_t bytes)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return words.size() >= bytes; });
    }
    std::vector<uint8_t> words;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
};

} // namespace

TEST_F(AlsaFilePlugin, ProbesEveryFormatAndRateOfAPermissivePcm)
{
    std::unique_ptr<AlsaCapturePcm> pcm;
    ASSERT_EQ(AlsaCapturePcm::Open("cartova_null", pcm), 0);
    uint32_t channels = 0;
    std::vector<ProbedFormat> probed;
    ASSERT_EQ(pcm->ProbeFormats(channels, probed), 0);
    EXPECT_EQ(channels, 2u);
    ASSERT_EQ(probed.size(), 3u);
    EXPECT_EQ(probed[0].format.format, SND_PCM_FORMAT_S32_LE);
    EXPECT_EQ(probed[1].format.format, SND_PCM_FORMAT_S24_3LE);
    EXPECT_EQ(probed[1].format.significantBits, 24u);
    EXPECT_EQ(probed[2].format.format, SND_PCM_FORMAT_S16_LE);
    for (const ProbedFormat& entry : probed) {
        EXPECT_EQ(entry.rates, CandidateCaptureRates());
    }
    EXPECT_FALSE(pcm->HasDeviceClock());

    // Exactly what is asked for, or an error.
    PcmHardwareConfig wanted;
    wanted.format = probed[1].format;
    wanted.channels = 2;
    wanted.rate = 352800;
    wanted.bufferFrames = 352800;
    wanted.periodFrames = 352800 / 32;
    PcmHardwareConfig granted;
    ASSERT_EQ(pcm->Configure(wanted, granted), 0);
    EXPECT_EQ(granted.rate, 352800u);
    EXPECT_GT(granted.bufferFrames, 0u);
}

TEST_F(AlsaFilePlugin, MissingPcmIsAnErrorNotAHang)
{
    std::unique_ptr<AlsaCapturePcm> pcm;
    EXPECT_LT(AlsaCapturePcm::Open("cartova_no_such_pcm", pcm), 0);
    EXPECT_EQ(pcm, nullptr);
}

TEST_F(AlsaFilePlugin, DsdCarriageStreamArrivesAsTheSameDsdBits)
{
    // A USB turntable whose capture PCM is the file PCM; its vendor switch
    // goes to a stand-in.
    SoundCard card;
    card.index = 5;
    card.id = "cartova_dsd";
    card.name = kTurntableName;
    card.usb = true;
    card.vid = kTurntableVendorId;
    card.pid = kTurntableProductId;
    card.interfaceNumber = 2;
    card.busNumber = 3;
    card.deviceAddress = 4;
    card.hasCapture = true;
    card.uid = "usb:2f6c:0c20:3-1";
    card.pcmName = "cartova_dsd";
    auto usb = std::make_shared<FakeUsbDeviceAccess>();
    AlsaSystemOptions options;
    options.scan = [card] { return std::vector<SoundCard>{card}; };
    options.usb = usb;
    options.reserveCards = false;
    options.watchHotplug = false;
    auto system = std::make_shared<AlsaAudioSystem>(options);
    CoreAudioManager manager(system, system);

    std::vector<FoundDeviceInfo> devices;
    ASSERT_EQ(manager.GetAudioDevices(devices), TkErrorSuccess);
    ASSERT_EQ(devices.size(), 1u);
    devices[0].flags = 0x10007;
    DsdCollector collector;
    ASSERT_EQ(manager.SetAudioDevice(devices[0], &collector), TkErrorSuccess);
    ASSERT_EQ(manager.SetSampleType(CoreAudioManager::kSampleTypeDsd), TkErrorSuccess);
    ASSERT_EQ(manager.SetSampleRate(11289600), TkErrorSuccess);
    uint32_t frames = 11289600 / 20;
    ASSERT_EQ(manager.SetBufferSize(frames), TkErrorSuccess);
    ASSERT_EQ(manager.Start(), TkErrorSuccess);
    const bool complete = collector.WaitForBytes(DsdWords().size());
    ASSERT_EQ(manager.Stop(), TkErrorSuccess);
    ASSERT_TRUE(complete);

    const auto sent = usb->SentRequests();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().request.wValue, 1);
    std::vector<uint8_t> captured(collector.words.begin(), collector.words.begin() + DsdWords().size());
    EXPECT_TRUE(captured == DsdWords()) << "DSD bits differ from the file";
}
