// The simulated turntable driven through the device manager, as the engine uses it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <numbers>
#include <thread>

#include "device/AudioDeviceList.h"
#include "device/CoreAudioManager.h"
#include "device/SimSignalGenerator.h"
#include "device/SimulatedTurntable.h"
#include "device/TurntableIdentity.h"

namespace {

// Collects every delivered frame (interleaved stereo) and counts events.
class RecordingNotify : public IAudioDeviceNotify {
public:
    void AudioDevice_ProcessorOverload() override { ++overloads; }
    void AudioDevice_DeviceIsAliveChanged() override { ++aliveChanges; }
    void AudioDevice_IOProc(const AudioBufferList* input, AudioBufferList* output) override
    {
        std::lock_guard lock(mutex);
        ++cycles;
        if (output == nullptr || output->mNumberBuffers != 0 || input == nullptr || input->mNumberBuffers != 1 ||
            input->mBuffers[0].mNumberChannels != 2) {
            badShape = true;
            return;
        }
        const auto* data = static_cast<const float*>(input->mBuffers[0].mData);
        lastByteSize = input->mBuffers[0].mDataByteSize;
        samples.insert(samples.end(), data, data + lastByteSize / sizeof(float));
    }
    size_t Frames()
    {
        std::lock_guard lock(mutex);
        return samples.size() / 2;
    }

    std::mutex mutex;
    std::vector<float> samples;
    uint32_t lastByteSize = 0;
    uint64_t cycles = 0;
    bool badShape = false;
    std::atomic<int> overloads{0};
    std::atomic<int> aliveChanges{0};
};

bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class SimulatedTurntableTest : public ::testing::Test {
protected:
    void MakeTurntable(SimulatorOptions options)
    {
        turntable = std::make_shared<SimulatedTurntable>(options);
        manager = std::make_unique<CoreAudioManager>(turntable, turntable);
    }
    FoundDeviceInfo Find()
    {
        std::vector<FoundDeviceInfo> devices;
        EXPECT_EQ(manager->GetAudioDevices(devices), TkErrorSuccess);
        AudioDeviceList().FilterDevices(devices);
        EXPECT_EQ(devices.size(), 1u);
        return devices.empty() ? FoundDeviceInfo{} : devices[0];
    }
    void Open()
    {
        ASSERT_EQ(manager->SetAudioDevice(Find(), &notify), TkErrorSuccess);
    }
    // Runs the device until `frames` frames were delivered.
    void Capture(size_t frames)
    {
        ASSERT_EQ(manager->Start(), TkErrorSuccess);
        EXPECT_TRUE(WaitFor([&] { return notify.Frames() >= frames; }));
        ASSERT_EQ(manager->Stop(), TkErrorSuccess);
    }

    void TearDown() override { manager.reset(); }

    RecordingNotify notify;
    std::shared_ptr<SimulatedTurntable> turntable;
    std::unique_ptr<CoreAudioManager> manager;
};

TEST_F(SimulatedTurntableTest, PresentsItselfAsTheTurntable)
{
    MakeTurntable({nullptr, 0});
    const FoundDeviceInfo device = Find();
    EXPECT_EQ(device.name, kTurntableName);
    EXPECT_EQ(device.vid, kTurntableVendorId);
    EXPECT_EQ(device.pid, kTurntableProductId);
    EXPECT_EQ(device.flags, AudioDeviceList::kTurntableFlags);

    Open();
    uint16_t in = 0, out = 1, supported = 0, record = 0;
    EXPECT_EQ(manager->GetChannels(in, out), TkErrorSuccess);
    EXPECT_EQ(in, 2);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(manager->GetBits(supported, record), TkErrorSuccess);
    EXPECT_EQ(supported, 24);
    EXPECT_EQ(record, 32);
    for (double rate : {44100, 48000, 88200, 96000, 176400, 192000, 352800, 384000}) {
        EXPECT_EQ(manager->CanSampleRate(rate), TkErrorSuccess) << rate;
    }
    EXPECT_EQ(manager->CanSampleRate(22050), TkErrorNotSupported);

    // The product name and firmware version a settings dialog shows.
    const auto usbDevices = turntable->GetMatchingServices(kIOUSBDeviceClass);
    ASSERT_EQ(usbDevices.size(), 1u);
    EXPECT_EQ(turntable->GetStringProperty(usbDevices[0], kUSBProductString), std::string("QT-LV200"));
    EXPECT_EQ(turntable->GetNumberProperty(usbDevices[0], kUSBDeviceReleaseNumber), 0x0102);
}

TEST_F(SimulatedTurntableTest, HogModeRefusesASecondOpenUntilReleased)
{
    MakeTurntable({nullptr, 0});
    Open();
    CoreAudioManager second(turntable, turntable);
    RecordingNotify other;
    EXPECT_EQ(second.SetAudioDevice(Find(), &other), TkErrorFailed);
    ASSERT_EQ(manager->ReleaseDevice(), TkErrorSuccess);
    EXPECT_EQ(turntable->HogOwner(), -1);
    EXPECT_EQ(second.SetAudioDevice(Find(), &other), TkErrorSuccess);
}

TEST_F(SimulatedTurntableTest, VendorRequestSwitchesDsdCarriage)
{
    MakeTurntable({nullptr, 0});
    Open();
    ASSERT_EQ(turntable->ReceivedRequests().size(), 1u);
    EXPECT_EQ(turntable->ReceivedRequests()[0].wValue, 0);
    EXPECT_FALSE(turntable->IsDsdCarriage());

    ASSERT_EQ(manager->SetSampleType(CoreAudioManager::kSampleTypeDsd), TkErrorSuccess);
    const auto requests = turntable->ReceivedRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].bmRequestType, 0x41);
    EXPECT_EQ(requests[1].bRequest, 0x00);
    EXPECT_EQ(requests[1].wValue, 1);
    EXPECT_EQ(requests[1].wIndex, SimulatedTurntable::kAudioInterfaceNumber);
    EXPECT_TRUE(turntable->IsDsdCarriage());

    for (double rate : {2822400.0, 5644800.0, 11289600.0}) {
        EXPECT_EQ(manager->CanSampleRate(rate), TkErrorSuccess) << rate;
    }
    ASSERT_EQ(manager->SetSampleRate(11289600), TkErrorSuccess);
    EXPECT_EQ(turntable->CurrentFormat().mSampleRate, 705600);
    EXPECT_EQ(turntable->CurrentFormat().mBitsPerChannel, 16u);

    ASSERT_EQ(manager->ReleaseDevice(), TkErrorSuccess);
    EXPECT_FALSE(turntable->IsDsdCarriage());
    EXPECT_EQ(turntable->CurrentFormat().mSampleRate, 44100);
}

TEST_F(SimulatedTurntableTest, UnplugReachesTheNotifyInterface)
{
    MakeTurntable({nullptr, 0});
    Open();
    ASSERT_EQ(manager->Start(), TkErrorSuccess);
    ASSERT_TRUE(WaitFor([&] { return notify.Frames() > 0; }));
    turntable->Unplug();
    EXPECT_EQ(notify.aliveChanges, 1);
    const uint64_t cycles = turntable->DeliveredCycles();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_LE(turntable->DeliveredCycles(), cycles + 1);
    std::vector<FoundDeviceInfo> devices;
    EXPECT_EQ(manager->GetAudioDevices(devices), TkErrorSuccess);
    EXPECT_TRUE(devices.empty());
    EXPECT_EQ(manager->Stop(), TkErrorSuccess);
    EXPECT_EQ(manager->ReleaseDevice(), TkErrorSuccess);
    turntable->Replug();
    EXPECT_EQ(notify.aliveChanges, 1); // listeners are gone after release
}

TEST_F(SimulatedTurntableTest, ProcessorOverloadReachesTheNotifyInterface)
{
    MakeTurntable({nullptr, 0});
    Open();
    turntable->TriggerProcessorOverload();
    EXPECT_EQ(notify.overloads, 1);
}

TEST_F(SimulatedTurntableTest, InjectedStartFailureLeavesTheDeviceStopped)
{
    MakeTurntable({nullptr, 0});
    Open();
    turntable->InjectFailure(SimOperation::DeviceStart, kAudioHardwareUnspecifiedError);
    EXPECT_EQ(manager->Start(), TkErrorFailed);
    EXPECT_FALSE(manager->IsRunning());
    turntable->ClearFailures();
    EXPECT_EQ(manager->Start(), TkErrorSuccess);
}

TEST_F(SimulatedTurntableTest, PcmCyclesDeliverTheRegeneratedSamples)
{
    MakeTurntable({nullptr, 0});
    Open();
    ASSERT_EQ(manager->SetSampleRate(96000), TkErrorSuccess);
    uint32_t frames = 480;
    ASSERT_EQ(manager->SetBufferSize(frames), TkErrorSuccess);
    Capture(96000);
    EXPECT_FALSE(notify.badShape);
    EXPECT_EQ(notify.lastByteSize, 480u * 2 * sizeof(float));
    EXPECT_EQ(notify.samples.size() % (480 * 2), 0u);

    const std::vector<float> expected = turntable->Regenerate(0, notify.samples.size() / 2);
    ASSERT_EQ(expected, notify.samples);
    const std::vector<float> tail = turntable->Regenerate(1000, 10);
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), notify.samples.begin() + 2000));
    // 24-bit integer values.
    for (float x : notify.samples) {
        ASSERT_EQ(std::nearbyint(x * 8388608.0f), x * 8388608.0f);
    }
}

TEST_F(SimulatedTurntableTest, RealTimePacingNeverRunsAhead)
{
    MakeTurntable({nullptr, 4.0});
    Open();
    ASSERT_EQ(manager->SetSampleRate(48000), TkErrorSuccess);
    uint32_t frames = 480;
    ASSERT_EQ(manager->SetBufferSize(frames), TkErrorSuccess);
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(manager->Start(), TkErrorSuccess);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const uint64_t delivered = turntable->DeliveredFrames();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    ASSERT_EQ(manager->Stop(), TkErrorSuccess);
    EXPECT_GT(delivered, 0u);
    EXPECT_LE(static_cast<double>(delivered), elapsed * 48000 * 4 + 480);
}

TEST_F(SimulatedTurntableTest, DsdCyclesDeliverSixteenBitWords)
{
    MakeTurntable({nullptr, 0});
    Open();
    ASSERT_EQ(manager->SetSampleType(CoreAudioManager::kSampleTypeDsd), TkErrorSuccess);
    ASSERT_EQ(manager->SetSampleRate(2822400), TkErrorSuccess);
    Capture(20000);
    const std::vector<float> expected = turntable->Regenerate(0, notify.samples.size() / 2);
    ASSERT_EQ(expected, notify.samples);
    for (float x : notify.samples) {
        const float word = x * 32768.0f;
        ASSERT_EQ(std::nearbyint(word), word);
        ASSERT_GE(word, -32768.0f);
        ASSERT_LE(word, 32767.0f);
    }
}

TEST(DsdCarriage, EarliestBitIsTheMostSignificantBitOfTheFirstByte)
{
    bool bits[16] = {};
    bits[0] = true;
    EXPECT_EQ(PackDsdWord(bits), 0x0080);
    bits[0] = false;
    bits[7] = true;
    EXPECT_EQ(PackDsdWord(bits), 0x0001);
    bits[7] = false;
    bits[8] = true;
    EXPECT_EQ(static_cast<uint16_t>(PackDsdWord(bits)), 0x8000);
}

// Decodes DSD carried in 16-bit words back to one-bit samples (+-1) of one channel.
std::vector<double> UnpackChannel(const std::vector<float>& stereo, int channel)
{
    std::vector<double> bits;
    for (size_t i = channel; i < stereo.size(); i += 2) {
        const auto word = static_cast<uint16_t>(static_cast<int16_t>(std::nearbyint(stereo[i] * 32768.0f)));
        const uint8_t bytes[2] = {static_cast<uint8_t>(word & 0xFF), static_cast<uint8_t>(word >> 8)};
        for (uint8_t byte : bytes) {
            for (int b = 7; b >= 0; --b) {
                bits.push_back((byte >> b) & 1 ? 1.0 : -1.0);
            }
        }
    }
    return bits;
}

// Two cascaded moving averages of `length`, keeping every `length`-th value.
std::vector<double> Decimate(const std::vector<double>& in, size_t length)
{
    std::vector<double> once(in.size() - length + 1);
    double sum = 0;
    for (size_t i = 0; i < in.size(); ++i) {
        sum += in[i];
        if (i >= length) {
            sum -= in[i - length];
        }
        if (i + 1 >= length) {
            once[i + 1 - length] = sum / static_cast<double>(length);
        }
    }
    std::vector<double> out;
    sum = 0;
    for (size_t i = 0; i < once.size(); ++i) {
        sum += once[i];
        if (i >= length) {
            sum -= once[i - length];
        }
        if (i + 1 >= length && (i + 1) % length == 0) {
            out.push_back(sum / static_cast<double>(length));
        }
    }
    return out;
}

TEST(SimulatedDsd, DecimatedOutputReproducesTheSourceTone)
{
    for (double bitRate : {2822400.0, 5644800.0}) {
        SCOPED_TRACE(bitRate);
        auto tone = std::make_shared<ToneSource>(1000.0, 0.5);
        SimSignalGenerator generator(tone, {bitRate / 16, 16, true});
        const size_t words = static_cast<size_t>(bitRate / 16 * 0.2); // 0.2 s
        std::vector<float> stereo(2 * words);
        generator.Next(words, stereo.data());

        const size_t factor = static_cast<size_t>(bitRate / 44100);
        const std::vector<double> pcm = Decimate(UnpackChannel(stereo, 1), factor);
        // Fit a 1 kHz sine over 100 whole periods after the start-up.
        const size_t first = 441, count = 4410;
        ASSERT_GE(pcm.size(), first + count);
        double s = 0, c = 0;
        for (size_t i = 0; i < count; ++i) {
            const double phase = 2 * std::numbers::pi * 1000.0 * static_cast<double>(first + i) / 44100.0;
            s += pcm[first + i] * std::sin(phase);
            c += pcm[first + i] * std::cos(phase);
        }
        s *= 2.0 / count;
        c *= 2.0 / count;
        const double amplitude = std::hypot(s, c);
        // Half-scale modulation of a 0.5 tone, less the averaging filters' droop at 1 kHz.
        EXPECT_NEAR(amplitude, 0.25, 0.005);

        double residual = 0;
        for (size_t i = 0; i < count; ++i) {
            const double phase = 2 * std::numbers::pi * 1000.0 * static_cast<double>(first + i) / 44100.0;
            const double r = pcm[first + i] - (s * std::sin(phase) + c * std::cos(phase));
            residual += r * r;
        }
        // Everything but the 1 kHz tone is far below it.
        EXPECT_LT(std::sqrt(residual / count), 0.25 * 0.01);
    }
}

} // namespace
