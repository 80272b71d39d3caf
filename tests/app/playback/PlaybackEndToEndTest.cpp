// Listening back and monitoring in the complete program on the simulated turntable, with
// the silent output capturing what it is given: monitoring plays the live input and feeds
// the level meter; a recording played from a time in the edit mode delivers exactly the
// recorded preview frames from there to the end, with the gain, then reports the end;
// pausing stops the output at once; quitting while playing is clean.
#include "ScratchDesktop.h"
#include "ScriptedDialogs.h"
#include "WaitFor.h"
#include "root/AppDelegate.h"
#include "bridge/CartovaController.h"
#include "control/ControlManager.h"
#include "state/ModeTimeManager.h"
#include "indicator/Indicator_LevelMeter.h"
#include "playback/PreviewController.h"
#include "playback/SinkOutput.h"
#include "window/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QtEndian>
#include <atomic>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kRate = 44100;
constexpr int kPatienceMs = 60000;

// A 16-bit stereo WAV of a 441 Hz sine on the left and its cosine on the right at half
// scale: no frame is silent on both channels.
bool WriteSineWav(const QString& path, uint32_t seconds)
{
    const uint32_t frames = kRate * seconds;
    QByteArray data(int(frames * 4), Qt::Uninitialized);
    for (uint32_t i = 0; i < frames; ++i) {
        const double phase = 2.0 * M_PI * 441.0 * i / kRate;
        qToLittleEndian<int16_t>(int16_t(std::lround(16384.0 * std::sin(phase))), data.data() + i * 4);
        qToLittleEndian<int16_t>(int16_t(std::lround(16384.0 * std::cos(phase))), data.data() + i * 4 + 2);
    }
    QByteArray header(44, '\0');
    char* h = header.data();
    std::memcpy(h, "RIFF", 4);
    qToLittleEndian<uint32_t>(36 + uint32_t(data.size()), h + 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    qToLittleEndian<uint32_t>(16, h + 16);
    qToLittleEndian<uint16_t>(1, h + 20);
    qToLittleEndian<uint16_t>(2, h + 22);
    qToLittleEndian<uint32_t>(kRate, h + 24);
    qToLittleEndian<uint32_t>(kRate * 4, h + 28);
    qToLittleEndian<uint16_t>(4, h + 32);
    qToLittleEndian<uint16_t>(16, h + 34);
    std::memcpy(h + 36, "data", 4);
    qToLittleEndian<uint32_t>(uint32_t(data.size()), h + 40);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(header) == 44 && file.write(data) == data.size();
}

QString CapturePath()
{
    return QString::fromLocal8Bit(qgetenv("SILLARO_AUDIO_CAPTURE"));
}

// The non-silent stereo frames the output was given, in order.
std::vector<float> PlayedSamples()
{
    QFile file(CapturePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    std::vector<float> played;
    for (qsizetype at = 0; at + 8 <= bytes.size(); at += 8) {
        const float l = qFromLittleEndian<float>(bytes.constData() + at);
        const float r = qFromLittleEndian<float>(bytes.constData() + at + 4);
        if (l != 0.0f || r != 0.0f)
            played.insert(played.end(), {l, r});
    }
    return played;
}

uint64_t FinishedLength()
{
    uint64_t frames = 0;
    CartovaController::sharedInstance().GetPreviewDataLength(frames);
    return frames;
}

} // namespace

TEST(PlaybackEndToEnd, MonitorsRecordsPlaysBackWithGainStopsAndQuitsWhilePlaying)
{
    ScriptedDialogs dialogs;
    auto app = std::make_unique<AppDelegate>();
    auto window = std::make_unique<MainWindow>();
    app->launch(*window, dialogs);
    ControlManager* cm = app->controlManager();
    PreviewController* preview = cm->previewController();
    CartovaController& bridge = CartovaController::sharedInstance();
    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();

    bool stopped = false;
    QObject stopWatch;
    QObject::connect(&bridge, &CartovaController::operation, &stopWatch, [&](TkRecOperation operation) {
        if (operation == TkRecOperationStopped)
            stopped = true;
    });

    // Monitoring: the live input reaches the output and the level meter.
    ASSERT_EQ(bridge.SetRecordSetting(TkRecordSetting{0, kRate, 16}), TkErrorSuccess);
    ASSERT_EQ(bridge.StartPreRecording(), TkErrorSuccess);
    ASSERT_TRUE(preview->BeginRecordPreview());
    EXPECT_EQ(preview->GetStatus(), PreviewController::StatusMonitoring);
    float level[2] = {-1.0f, -1.0f};
    ASSERT_TRUE(WaitFor([&]() {
        preview->GetLevel(level, 2);
        return level[0] > 0.3f && level[1] > 0.3f && !PlayedSamples().empty();
    }, kPatienceMs));

    // Record about two seconds, then stop. The window's level meter follows the input
    // (the sine is at half scale, -7 dB on the meter's whole-decibel scale).
    ASSERT_EQ(bridge.Start(), TkErrorSuccess);
    window->setLevelMeterPlayController(preview); // as the record command does
    const Indicator_LevelMeter* meter = window->controls().indicatorLevelMeter;
    ASSERT_TRUE(WaitFor([&]() {
        return meter->state().channel(0).level >= -8 && meter->state().channel(1).level >= -8;
    }, kPatienceMs));
    EXPECT_LE(meter->state().channel(0).level, -6);
    EXPECT_LE(meter->state().channel(1).level, -6);
    window->show();
    QApplication::processEvents();
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    EXPECT_TRUE(window->grab().save(QStringLiteral(SCREENSHOT_DIR "/main_recording_e2e.png")));
    ASSERT_TRUE(WaitFor([]() { return FinishedLength() >= 2 * kRate; }, kPatienceMs));
    EXPECT_TRUE(preview->Stop());
    ASSERT_EQ(bridge.Stop(false), TkErrorSuccess);
    ASSERT_TRUE(WaitFor([&]() { return stopped; }, kPatienceMs));
    const uint64_t length = FinishedLength();
    ASSERT_GE(length, 2 * kRate);
    std::vector<int16_t> recorded(length * 2);
    ASSERT_EQ(bridge.GetPreviewDataFrom(0, length, recorded.data(), recorded.size()), TkErrorSuccess);

    // Edit mode: play from 1.0 s at +3 dB until the end is reported.
    QFile::remove(CapturePath());
    mtm.setTotalTime(double(length) / kRate);
    mtm.setStatus(ModeStatusEditStopped);
    mtm.setGain(3.0);
    mtm.setCurrentTime(1.0);
    cm->Play();
    ASSERT_EQ(mtm.status(), ModeStatusEditPlaying);
    ASSERT_TRUE(WaitFor([&]() { return mtm.status() == ModeStatusEditStopped; }, kPatienceMs));
    EXPECT_EQ(mtm.currentTime(), mtm.totalTime());
    EXPECT_EQ(preview->GetStatus(), PreviewController::StatusIdle);

    const float gain = std::pow(10.0f, 3.0f / 20.0f);
    const std::vector<float> played = PlayedSamples();
    ASSERT_EQ(played.size(), size_t(length - kRate) * 2);
    for (size_t i = 0; i < played.size(); ++i) {
        const float expected = static_cast<float>(recorded[kRate * 2 + i]) * gain / 32767.0f;
        ASSERT_EQ(played[i], expected) << "sample " << i;
    }

    // Pausing stops the output before it returns: nothing is played afterwards.
    QFile::remove(CapturePath());
    mtm.setCurrentTime(0.0);
    cm->Play();
    ASSERT_TRUE(WaitFor([]() { return !PlayedSamples().empty(); }, kPatienceMs));
    cm->Pause();
    EXPECT_EQ(mtm.status(), ModeStatusEditStopped);
    EXPECT_EQ(preview->GetStatus(), PreviewController::StatusIdle);
    const qint64 sizeAtPause = QFile(CapturePath()).size();
    WaitFor([]() { return false; }, 300);
    EXPECT_EQ(QFile(CapturePath()).size(), sizeAtPause);
    EXPECT_TRUE(dialogs.messages().isEmpty()) << dialogs.messages().join('|').toStdString();

    // Quitting while playing.
    cm->Play();
    ASSERT_EQ(preview->GetStatus(), PreviewController::StatusPlaying);
    app.reset();
    window.reset();
}

namespace {

// Plays a quiet tone and counts the frames the output asked for.
struct ToneSource : DefaultOutputDelegate {
    void DefaultOutput_RenderCallback(float* buffer, uint32_t frames) override
    {
        for (uint32_t i = 0; i < frames; ++i, ++phase)
            buffer[2 * i] = buffer[2 * i + 1] = 0.05f * float(std::sin(2.0 * M_PI * 441.0 * double(phase) / rate));
        rendered.fetch_add(frames);
    }
    void DefaultOutput_Failed() override { failed.store(true); }

    uint32_t rate = 0;
    uint64_t phase = 0;
    std::atomic<uint64_t> rendered{0};
    std::atomic<bool> failed{false};
};

} // namespace

// Only where a sound server offers a default output (never required).
TEST(PlaybackThroughTheSoundServer, PullsThePreviewRatesUntilStopped)
{
    if (QMediaDevices::defaultAudioOutput().isNull())
        GTEST_SKIP() << "no default audio output on this machine";
    for (uint32_t rate : {44100u, 48000u, 88200u, 176400u}) {
        ToneSource tone;
        tone.rate = rate;
        std::unique_ptr<SinkOutput> output = SinkOutput::create(&tone);
        ASSERT_TRUE(output);
        ASSERT_TRUE(output->setFormat(OutputFormat{rate, 2})) << rate;
        ASSERT_TRUE(output->start()) << rate;
        EXPECT_TRUE(WaitFor([&]() { return tone.rendered.load() >= rate / 2; }, kPatienceMs)) << rate;
        EXPECT_TRUE(output->stop());
        const uint64_t atStop = tone.rendered.load();
        WaitFor([]() { return false; }, 200);
        EXPECT_EQ(tone.rendered.load(), atStop) << rate;
        EXPECT_FALSE(tone.failed.load()) << rate;
    }
}

int main(int argc, char** argv)
{
    ScratchDesktop scratch(QStringLiteral("SillaroPlaybackTest"));
    const QString source = scratch.path() + "/sine.wav";
    if (!WriteSineWav(source, 30))
        return 2;
    qputenv("CARTOVA_DEVICE", "sim");
    qputenv("CARTOVA_SIM_SOURCE", source.toLocal8Bit());
    qputenv("SILLARO_AUDIO_CAPTURE", (scratch.path() + "/played.f32").toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
