// The ALSA back-end through the device manager, with scripted PCMs and USB
// access: exclusive open, formats, the DSD vendor request with the stream
// closed around it, unplugging while capturing, and hot-plug.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "device/AlsaAudioSystem.h"
#include "device/CoreAudioManager.h"
#include "support/FakeCapturePcm.h"
#include "support/FakeSysfs.h"
#include "support/FakeUsbDeviceAccess.h"

namespace {

constexpr auto kPatience = std::chrono::seconds(20);

class CountingNotify : public IAudioDeviceNotify {
public:
    void AudioDevice_ProcessorOverload() override
    {
        std::lock_guard lock(m_mutex);
        ++overloads;
        m_changed.notify_all();
    }
    void AudioDevice_DeviceIsAliveChanged() override
    {
        std::lock_guard lock(m_mutex);
        ++aliveChanges;
        m_changed.notify_all();
    }
    void AudioDevice_IOProc(const AudioBufferList* input, AudioBufferList*) override
    {
        std::lock_guard lock(m_mutex);
        frames += input->mBuffers[0].mDataByteSize / (sizeof(float) * input->mBuffers[0].mNumberChannels);
        m_changed.notify_all();
    }
    template <class Predicate>
    bool WaitFor(Predicate predicate)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kPatience, predicate);
    }
    int overloads = 0;
    int aliveChanges = 0;
    uint64_t frames = 0;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
};

class AlsaAudioSystemTest : public ::testing::Test {
protected:
    AlsaAudioSystemTest()
    {
        sysfs.AddUsbCard(FakeUsbCard{});
        AlsaSystemOptions options;
        options.scan = [roots = sysfs.Roots()] { return ScanSoundCards(roots); };
        options.openPcm = [this](const std::string& name, std::unique_ptr<ICapturePcm>& out) {
            std::lock_guard lock(mutex);
            openedNames.push_back(name);
            if (openError != 0) {
                return openError;
            }
            auto pcm = std::make_unique<FakeCapturePcm>();
            pcm->probed = {{{SND_PCM_FORMAT_S32_LE, 4, 24}, {44100, 96000, 176400}},
                           {{SND_PCM_FORMAT_S16_LE, 2, 16}, {176400, 352800}}};
            current = pcm.get();
            ++openPcms;
            out = std::unique_ptr<ICapturePcm>(new ClosingPcm(std::move(pcm), *this));
            return 0;
        };
        options.usb = usb;
        options.reserveCards = false;
        options.watchHotplug = false;
        system = std::make_shared<AlsaAudioSystem>(options);
        manager = std::make_unique<CoreAudioManager>(system, system);
    }

    // Counts the open PCMs, so tests see when the stream is closed.
    class ClosingPcm : public ICapturePcm {
    public:
        ClosingPcm(std::unique_ptr<FakeCapturePcm> inner, AlsaAudioSystemTest& test)
            : m_inner(std::move(inner)), m_test(test) {}
        ~ClosingPcm() override
        {
            std::lock_guard lock(m_test.mutex);
            --m_test.openPcms;
            if (m_test.current == m_inner.get()) {
                m_test.current = nullptr;
            }
        }
        int ProbeFormats(uint32_t& c, std::vector<ProbedFormat>& p) override { return m_inner->ProbeFormats(c, p); }
        int Configure(const PcmHardwareConfig& w, PcmHardwareConfig& g) override { return m_inner->Configure(w, g); }
        int Start() override { return m_inner->Start(); }
        int Wait(int fd) override { return m_inner->Wait(fd); }
        long Read(void* b, uint64_t f) override { return m_inner->Read(b, f); }
        int OverrunFrames(uint32_t r, uint64_t& l) override { return m_inner->OverrunFrames(r, l); }
        int Recover(int e) override { return m_inner->Recover(e); }
        int Drop() override { return m_inner->Drop(); }
        bool HasDeviceClock() const override { return true; }

    private:
        std::unique_ptr<FakeCapturePcm> m_inner;
        AlsaAudioSystemTest& m_test;
    };

    FoundDeviceInfo Turntable()
    {
        std::vector<FoundDeviceInfo> devices;
        EXPECT_EQ(manager->GetAudioDevices(devices), TkErrorSuccess);
        EXPECT_EQ(devices.size(), 1u);
        FoundDeviceInfo device = devices.empty() ? FoundDeviceInfo{} : devices[0];
        device.flags = 0x10007;
        return device;
    }

    FakeCapturePcm* Current()
    {
        std::lock_guard lock(mutex);
        return current;
    }

    FakeSysfs sysfs;
    std::shared_ptr<FakeUsbDeviceAccess> usb = std::make_shared<FakeUsbDeviceAccess>();
    std::mutex mutex;
    std::vector<std::string> openedNames;
    int openError = 0;
    int openPcms = 0;
    FakeCapturePcm* current = nullptr;
    std::shared_ptr<AlsaAudioSystem> system;
    std::unique_ptr<CoreAudioManager> manager;
    CountingNotify notify;
};

} // namespace

TEST_F(AlsaAudioSystemTest, OpensTheCardsHwPcmExclusivelyAndOffersItsFormats)
{
    ASSERT_EQ(manager->SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
    EXPECT_EQ(openedNames.front(), "hw:CARD=QTLV200,DEV=0");
    uint16_t in = 0;
    uint16_t out = 0;
    ASSERT_EQ(manager->GetChannels(in, out), TkErrorSuccess);
    EXPECT_EQ(in, 2);
    EXPECT_EQ(out, 0);
    uint16_t supported = 0;
    uint16_t record = 0;
    ASSERT_EQ(manager->GetBits(supported, record), TkErrorSuccess);
    EXPECT_EQ(supported, 24);
    EXPECT_EQ(record, 32);
    EXPECT_EQ(manager->CanSampleRate(96000), TkErrorSuccess);
    EXPECT_EQ(manager->CanSampleRate(48000), TkErrorNotSupported);

    // A second open of the same card is refused while it is held.
    CoreAudioManager other(system, system);
    EXPECT_NE(other.SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
    EXPECT_EQ(manager->ReleaseDevice(), TkErrorSuccess);
    EXPECT_EQ(openPcms, 0);
}

TEST_F(AlsaAudioSystemTest, BusyDeviceIsRefusedAtOnce)
{
    openError = -EBUSY;
    EXPECT_EQ(manager->SetAudioDevice(Turntable(), &notify), TkErrorFailed);
    int32_t owner = 0;
    ASSERT_EQ(system->GetHogMode(Turntable().deviceId, owner), kAudioHardwareNoError);
    EXPECT_EQ(owner, -1);
}

TEST_F(AlsaAudioSystemTest, VendorRequestSwitchesDsdWithTheStreamClosed)
{
    ASSERT_EQ(manager->SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
    std::vector<int> openAtTransfer;
    usb->onTransfer = [&] { openAtTransfer.push_back(openPcms); };
    ASSERT_EQ(manager->SetSampleType(CoreAudioManager::kSampleTypeDsd), TkErrorSuccess);
    ASSERT_EQ(manager->SetSampleRate(5644800), TkErrorSuccess);

    const auto sent = usb->SentRequests();
    ASSERT_EQ(sent.size(), 2u) << "PCM at open, then DSD";
    EXPECT_EQ(sent[1].bus, 1);
    EXPECT_EQ(sent[1].address, 7);
    EXPECT_EQ(sent[1].request.bmRequestType, 0x41);
    EXPECT_EQ(sent[1].request.bRequest, 0x00);
    EXPECT_EQ(sent[1].request.wValue, 1);
    EXPECT_EQ(sent[1].request.wIndex, 2);
    EXPECT_EQ(sent[1].request.wLength, 0);
    EXPECT_EQ(sent[0].request.wValue, 0);
    EXPECT_EQ(openAtTransfer, std::vector<int>{0});
    usb->onTransfer = nullptr;
    EXPECT_EQ(openPcms, 1) << "reopened after the switch";

    // The stream is then set up at a sixteenth of the DSD rate in 16-bit words.
    ASSERT_EQ(manager->Start(), TkErrorSuccess);
    ASSERT_EQ(manager->Stop(), TkErrorSuccess);
    ASSERT_NE(Current(), nullptr);
    EXPECT_EQ(Current()->lastConfig.rate, 352800u);
    EXPECT_EQ(Current()->lastConfig.format.format, SND_PCM_FORMAT_S16_LE);

    usb->transferStatus = kIOReturnNoDevice;
    EXPECT_EQ(manager->SetSampleType(CoreAudioManager::kSampleTypePcm), TkErrorDeviceNotFound);
}

TEST_F(AlsaAudioSystemTest, UnplugWhileCapturingIsReportedOnceThroughTheAliveListener)
{
    const FoundDeviceInfo device = Turntable();
    ASSERT_EQ(manager->SetAudioDevice(device, &notify), TkErrorSuccess);
    ASSERT_EQ(manager->SetSampleRate(96000), TkErrorSuccess);
    ASSERT_EQ(manager->Start(), TkErrorSuccess);
    FakeCapturePcm* pcm = Current();
    ASSERT_NE(pcm, nullptr);
    EXPECT_EQ(pcm->lastConfig.rate, 96000u);
    EXPECT_EQ(pcm->lastConfig.bufferFrames, 96000u) << "about one second";
    EXPECT_EQ(pcm->lastConfig.periodFrames, 3000u) << "a thirty-second of it";

    pcm->Release(8192);
    ASSERT_TRUE(notify.WaitFor([&] { return notify.frames >= 4096; }));
    pcm->Fail(-ENODEV);
    ASSERT_TRUE(notify.WaitFor([&] { return notify.aliveChanges == 1; }));
    uint32_t alive = 1;
    ASSERT_EQ(system->GetDeviceIsAlive(device.deviceId, alive), kAudioHardwareNoError);
    EXPECT_EQ(alive, 0u);

    // The card then leaves sysfs: already reported, no second notification.
    sysfs.RemoveCard(1);
    system->OnSoundCardEvent(SoundCardEvent::Removed, "card1");
    EXPECT_EQ(manager->Stop(), TkErrorSuccess);
    EXPECT_EQ(notify.aliveChanges, 1);
}

TEST_F(AlsaAudioSystemTest, OverrunReachesTheOverloadListener)
{
    ASSERT_EQ(manager->SetAudioDevice(Turntable(), &notify), TkErrorSuccess);
    ASSERT_EQ(manager->Start(), TkErrorSuccess);
    FakeCapturePcm* pcm = Current();
    pcm->SetOverrunLoss(1000);
    pcm->Release(100);
    pcm->Fail(-EPIPE);
    pcm->Release(100);
    ASSERT_TRUE(notify.WaitFor([&] { return notify.overloads == 1; }));
    EXPECT_EQ(manager->Stop(), TkErrorSuccess);
    EXPECT_EQ(system->OverrunCount(Turntable().deviceId), 1u);
}

TEST_F(AlsaAudioSystemTest, HotplugKeepsTheDeviceIdAcrossReplugging)
{
    const FoundDeviceInfo device = Turntable();
    ASSERT_EQ(manager->SetAudioDevice(device, &notify), TkErrorSuccess);

    sysfs.RemoveCard(1);
    system->OnSoundCardEvent(SoundCardEvent::Removed, "card1");
    EXPECT_EQ(notify.aliveChanges, 1);
    uint32_t alive = 1;
    ASSERT_EQ(system->GetDeviceIsAlive(device.deviceId, alive), kAudioHardwareNoError);
    EXPECT_EQ(alive, 0u);
    std::vector<FoundDeviceInfo> none;
    ASSERT_EQ(manager->GetAudioDevices(none), TkErrorSuccess);
    EXPECT_TRUE(none.empty());

    FakeUsbCard again;
    again.index = 4; // a new card number, the same USB port
    again.address = 12;
    sysfs.AddUsbCard(again);
    system->OnSoundCardEvent(SoundCardEvent::Ready, "card4");
    EXPECT_EQ(notify.aliveChanges, 2);
    ASSERT_EQ(system->GetDeviceIsAlive(device.deviceId, alive), kAudioHardwareNoError);
    EXPECT_EQ(alive, 1u);
    EXPECT_EQ(Turntable().deviceId, device.deviceId);
    EXPECT_EQ(manager->ReleaseDevice(), TkErrorSuccess);
}
