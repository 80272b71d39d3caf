// What the simulated turntable plays: the demo album, WAV files, and the
// environment's choice of back-end.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "device/CoreAudioManager.h"
#include "device/DemoAlbumSource.h"
#include "device/SystemAudioBackend.h"
#include "device/WavFileSource.h"

namespace {

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

// A WAV file with the given format and raw sample bytes.
std::vector<uint8_t> MakeWav(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits,
                             const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> out;
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutLE(out, static_cast<uint32_t>(4 + 8 + 16 + 8 + 6 + 8 + data.size()), 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLE(out, 16, 4);
    PutLE(out, format, 2);
    PutLE(out, channels, 2);
    PutLE(out, rate, 4);
    PutLE(out, rate * align, 4);
    PutLE(out, align, 2);
    PutLE(out, bits, 2);
    // An odd-sized chunk before the data, to be skipped with its pad byte.
    out.insert(out.end(), {'j', 'u', 'n', 'k'});
    PutLE(out, 5, 4);
    out.insert(out.end(), {1, 2, 3, 4, 5, 0});
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLE(out, static_cast<uint32_t>(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

TEST(WavFileSource, ReadsSixteenAndTwentyFourBitAndFloat)
{
    std::string error;
    WavFileSource pcm16;
    ASSERT_TRUE(pcm16.Parse(MakeWav(1, 2, 48000, 16, {0x00, 0x40, 0x00, 0x80, 0xFF, 0x7F, 0x01, 0x00}), error)) << error;
    float frames[6];
    pcm16.Render(48000, 0, 3, frames);
    EXPECT_EQ(frames[0], 0.5f);
    EXPECT_EQ(frames[1], -1.0f);
    EXPECT_EQ(frames[2], 32767 / 32768.0f);
    EXPECT_EQ(frames[3], 1 / 32768.0f);
    EXPECT_EQ(frames[4], 0.0f); // past the end: silence

    WavFileSource mono24;
    ASSERT_TRUE(mono24.Parse(MakeWav(1, 1, 44100, 24, {0x00, 0x00, 0xC0}), error)) << error;
    mono24.Render(44100, 0, 1, frames);
    EXPECT_EQ(frames[0], -0.5f);
    EXPECT_EQ(frames[1], -0.5f);

    float value = 0.25f;
    std::vector<uint8_t> bytes(8);
    std::memcpy(bytes.data(), &value, 4);
    value = -0.75f;
    std::memcpy(bytes.data() + 4, &value, 4);
    WavFileSource float32;
    ASSERT_TRUE(float32.Parse(MakeWav(3, 2, 96000, 32, bytes), error)) << error;
    EXPECT_EQ(float32.Frames(), 1u);
    float32.Render(96000, 0, 1, frames);
    EXPECT_EQ(frames[0], 0.25f);
    EXPECT_EQ(frames[1], -0.75f);
}

TEST(WavFileSource, ReadsEightAndThirtyTwoBitIntegers)
{
    std::string error;
    float frames[4];
    WavFileSource pcm8;  // unsigned samples, silence at 128
    ASSERT_TRUE(pcm8.Parse(MakeWav(1, 2, 44100, 8, {0x80, 0x00, 0xC0, 0xFF}), error)) << error;
    pcm8.Render(44100, 0, 2, frames);
    EXPECT_EQ(frames[0], 0.0f);
    EXPECT_EQ(frames[1], -1.0f);
    EXPECT_EQ(frames[2], 0.5f);
    EXPECT_EQ(frames[3], 127 / 128.0f);

    WavFileSource pcm32;
    ASSERT_TRUE(pcm32.Parse(MakeWav(1, 2, 44100, 32, {0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x40}), error))
        << error;
    pcm32.Render(44100, 0, 1, frames);
    EXPECT_EQ(frames[0], -0.5f);
    EXPECT_EQ(frames[1], 0.5f);
}

TEST(WavFileSource, RefusesWhatItCannotPlay)
{
    std::string error;
    WavFileSource source;
    EXPECT_FALSE(source.Parse(MakeWav(1, 2, 44100, 12, {0, 0, 0}), error));
    EXPECT_FALSE(source.Parse(MakeWav(1, 2, 44100, 16, {}), error));  // a header without samples
    EXPECT_EQ(error, "the file holds no samples");
    EXPECT_FALSE(source.Parse(MakeWav(3, 2, 44100, 64, std::vector<uint8_t>(16)), error));
    EXPECT_FALSE(source.Parse({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}, error));
    EXPECT_FALSE(source.Parse(MakeWav(1, 0, 44100, 16, {0, 0}), error));
    EXPECT_FALSE(source.Load("/nonexistent/file.wav", error));
    EXPECT_FALSE(error.empty());
}

TEST(WavFileSource, InterpolatesAtAnotherRate)
{
    std::string error;
    WavFileSource source;
    ASSERT_TRUE(source.Parse(MakeWav(1, 1, 22050, 16, {0x00, 0x00, 0x00, 0x40}), error)) << error;
    float frames[6];
    source.Render(44100, 0, 3, frames);
    EXPECT_EQ(frames[0], 0.0f);
    EXPECT_EQ(frames[2], 0.25f);
    EXPECT_EQ(frames[4], 0.5f);
}

double Rms(const std::vector<float>& stereo)
{
    double sum = 0;
    for (float x : stereo) {
        sum += static_cast<double>(x) * x;
    }
    return std::sqrt(sum / static_cast<double>(stereo.size()));
}

TEST(DemoAlbumSource, TracksAreMusicGapsAreQuietAndEverythingRepeats)
{
    DemoAlbumLayout layout;
    layout.tracks = 2;
    layout.trackSeconds = 4;
    layout.gapSeconds = 2;
    layout.seed = 7;
    const DemoAlbumSource album(layout);
    const double rate = 8000;
    auto render = [&](double from, double seconds, const DemoAlbumSource& source) {
        std::vector<float> out(2 * static_cast<size_t>(seconds * rate));
        source.Render(rate, static_cast<uint64_t>(from * rate), out.size() / 2, out.data());
        return out;
    };
    EXPECT_GT(Rms(render(album.TrackStart(0) + 1, 2, album)), 0.05);
    EXPECT_GT(Rms(render(album.TrackStart(1) + 1, 2, album)), 0.05);
    const double gap = Rms(render(album.TrackEnd(0) + 0.1, 1.8, album));
    EXPECT_GT(gap, 0.0);
    EXPECT_LT(gap, 0.02);
    EXPECT_LT(Rms(render(album.TrackEnd(1) + 1, 2, album)), 0.02);

    // The same stretch rendered from another starting point, or by another
    // instance with the same seed, is identical; another seed differs.
    const auto whole = render(1, 2, album);
    const auto part = render(2, 1, album);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin() + static_cast<long>(2 * rate)));
    EXPECT_EQ(render(1, 2, DemoAlbumSource(layout)), whole);
    layout.seed = 8;
    EXPECT_NE(render(1, 2, DemoAlbumSource(layout)), whole);
}

TEST(SystemAudioBackend, EnvironmentSelectsTheSimulatedTurntable)
{
    unsetenv("CARTOVA_DEVICE");
    {
        CoreAudioManager manager(CreateSystemAudioBackend());
        std::vector<FoundDeviceInfo> devices;
        EXPECT_EQ(manager.GetAudioDevices(devices), TkErrorSuccess);
        EXPECT_TRUE(devices.empty());
    }
    setenv("CARTOVA_DEVICE", "sim", 1);
    setenv("CARTOVA_SIM_SPEED", "fast", 1);  // not a number: real time
    std::string problem = "stale";
    {
        AudioBackend backend = CreateSystemAudioBackend(&problem);
        EXPECT_EQ(problem, "");
        CoreAudioManager manager(std::move(backend.hardware), std::move(backend.usb));
        std::vector<FoundDeviceInfo> devices;
        EXPECT_EQ(manager.GetAudioDevices(devices), TkErrorSuccess);
        ASSERT_EQ(devices.size(), 1u);
        EXPECT_EQ(devices[0].name, "QT-LV200");
    }
    // A record the user named but that cannot be played is never replaced
    // by the demo album: no turntable, and the reason.
    setenv("CARTOVA_SIM_SOURCE", "/nonexistent/record.wav", 1);
    {
        AudioBackend backend = CreateSystemAudioBackend(&problem);
        EXPECT_EQ(problem, "the simulated turntable cannot play /nonexistent/record.wav: No such file or directory");
        CoreAudioManager manager(std::move(backend.hardware), std::move(backend.usb));
        std::vector<FoundDeviceInfo> devices;
        EXPECT_EQ(manager.GetAudioDevices(devices), TkErrorSuccess);
        EXPECT_TRUE(devices.empty());
    }
    unsetenv("CARTOVA_DEVICE");
    unsetenv("CARTOVA_SIM_SOURCE");
    unsetenv("CARTOVA_SIM_SPEED");
}

} // namespace
