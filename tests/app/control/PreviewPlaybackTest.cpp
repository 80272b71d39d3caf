// Preview playback on the silent output: what is played from which frame with which gain,
// the end of the recording, the monitoring skip-ahead, peaks for the level meter, failed
// reads, reports of stopped runs, and quick start/stop cycles (run these under
// ThreadSanitizer too).
#include "FakeCartova.h"
#include "FakeMainView.h"
#include "ScriptedDialogs.h"
#include "WaitFor.h"
#include "ControlHarness.h"
#include "control/QuitFlow.h"
#include "document/Document.h"
#include "control/ControlManager.h"
#include "state/ModeTimeManager.h"
#include "playback/PreviewController.h"
#include "playback/PreviewPlayManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <chrono>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

constexpr uint64_t kRate = 44100;
constexpr int kPatienceMs = 30000;

// A frame pattern from which every played frame's index can be read back: the left
// channel counts 1..32000, the right channel counts the wraps (never a silent frame).
int16_t Pattern(uint64_t frame, uint16_t channel)
{
    return channel == 0 ? static_cast<int16_t>(frame % 32000 + 1) : static_cast<int16_t>(-int64_t(frame / 32000) - 1);
}

class PreviewPlaybackTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        Fake().selected = "QT-LV200";
        Fake().lastSetting = TkRecordSetting{0, kRate, 24};
        capturePath = scratch.filePath(QStringLiteral("played.f32"));
        qputenv("SILLARO_AUDIO_OUTPUT", "null");
        qputenv("SILLARO_AUDIO_CAPTURE", QFile::encodeName(capturePath));
        controller = std::make_unique<PreviewController>();
        controller->setTemporaryDirectoryCheck([this]() { return temporaryDirectoryUsable; });
    }

    void TearDown() override
    {
        controller.reset();
        qunsetenv("SILLARO_AUDIO_CAPTURE");
    }

    // Every float the output was given, in order.
    std::vector<float> captured() const
    {
        QFile file(capturePath);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.readAll();
        const qsizetype frames = bytes.size() / qsizetype(2 * sizeof(float));
        std::vector<float> samples(size_t(frames) * 2);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = qFromLittleEndian<float>(bytes.constData() + i * sizeof(float));
        return samples;
    }

    // The index of every non-silent frame played, read back from the pattern.
    std::vector<uint64_t> playedFrames(float gain = 1.0f) const
    {
        const std::vector<float> s = captured();
        std::vector<uint64_t> frames;
        for (size_t i = 0; i + 1 < s.size(); i += 2) {
            if (s[i] == 0.0f && s[i + 1] == 0.0f)
                continue; // output silence (before the ring filled)
            const long left = std::lround(s[i] * 32767.0f / gain);
            const long right = std::lround(-s[i + 1] * 32767.0f / gain);
            frames.push_back(uint64_t(left - 1) + 32000u * uint64_t(right - 1));
        }
        return frames;
    }

    QTemporaryDir scratch;
    QString capturePath;
    bool temporaryDirectoryUsable = true;
    std::unique_ptr<PreviewController> controller;
};

} // namespace

TEST_F(PreviewPlaybackTest, PlaysFromATimeWithTheGainToTheEndAndReportsPeaksOnce)
{
    FakePreview().generate(kRate * 3 / 2, Pattern);
    QSignalSpy finished(controller.get(), &PreviewController::playFinished);
    QSignalSpy times(controller.get(), &PreviewController::currentTimeUpdated);
    controller->setGain(0.5f);

    ASSERT_TRUE(controller->Play(1.0));
    EXPECT_EQ(controller->GetStatus(), PreviewController::StatusPlaying);
    // 0.3 s of stereo float frames at 44100 Hz: 13230 frames.
    EXPECT_EQ(controller->playManager()->ringBufferSize(), 13230u * 2 * sizeof(float));
    ASSERT_TRUE(finished.wait(kPatienceMs));

    // Every frame from 1.0 s to the end, once, in order, at half amplitude.
    const std::vector<float> s = captured();
    std::vector<float> played;
    for (size_t i = 0; i + 1 < s.size(); i += 2)
        if (s[i] != 0.0f || s[i + 1] != 0.0f)
            played.insert(played.end(), {s[i], s[i + 1]});
    ASSERT_EQ(played.size(), size_t(kRate / 2) * 2);
    for (uint64_t f = 0; f < kRate / 2; ++f) {
        for (uint16_t c = 0; c < 2; ++c) {
            const float expected = static_cast<float>(Pattern(kRate + f, c)) * 0.5f / 32767.0f;
            ASSERT_EQ(played[f * 2 + c], expected) << "frame " << f << " channel " << c;
        }
    }
    EXPECT_EQ(controller->currentTime(), 1.5);
    ASSERT_FALSE(times.isEmpty());
    EXPECT_EQ(times.last().at(0).toDouble(), 1.5);

    // The peaks of everything played, with the gain; then nothing new.
    float level[2] = {};
    controller->GetLevel(level, 2);
    EXPECT_EQ(level[0], 32000.0f * 0.5f / 32767.0f);
    EXPECT_EQ(level[1], 3.0f * 0.5f / 32767.0f);
    controller->GetLevel(level, 2);
    EXPECT_EQ(level[0], -1.0f);
    EXPECT_EQ(level[1], -1.0f);

    EXPECT_TRUE(controller->Stop());
    EXPECT_EQ(controller->GetStatus(), PreviewController::StatusIdle);
    controller->GetLevel(level, 2);
    EXPECT_EQ(level[0], 0.0f);
    EXPECT_EQ(level[1], 0.0f);
    EXPECT_FALSE(controller->Stop());
}

TEST_F(PreviewPlaybackTest, APositionBeyondTheEndFinishesWithoutPlayingAndBadStartsFail)
{
    FakePreview().generate(kRate, Pattern);
    QSignalSpy finished(controller.get(), &PreviewController::playFinished);

    EXPECT_FALSE(controller->Play(-0.5));
    EXPECT_EQ(controller->GetStatus(), PreviewController::StatusIdle);

    temporaryDirectoryUsable = false;
    EXPECT_FALSE(controller->Play(0.0));
    EXPECT_EQ(controller->GetStatus(), PreviewController::StatusIdle);
    temporaryDirectoryUsable = true;

    ASSERT_TRUE(controller->Play(5.0));
    ASSERT_TRUE(finished.wait(kPatienceMs));
    EXPECT_TRUE(playedFrames().empty());
    EXPECT_TRUE(controller->Stop());

    // Without a recording format there is nothing to play.
    Fake().lastSetting = TkRecordSetting{0, 0, 24};
    EXPECT_FALSE(controller->Play(0.0));
    EXPECT_EQ(controller->GetStatus(), PreviewController::StatusIdle);
}

TEST_F(PreviewPlaybackTest, MonitoringSkipsAheadOnlyWhenItFallsTooFarBehind)
{
    // 30869 frames behind (just under 0.7 s): monitoring starts at the first frame.
    FakeRecordingPreview().generate(30869, Pattern);
    ASSERT_TRUE(controller->BeginRecordPreview());
    EXPECT_EQ(controller->GetStatus(), PreviewController::StatusMonitoring);
    ASSERT_TRUE(WaitFor([this]() { return !playedFrames().empty(); }, kPatienceMs));
    EXPECT_EQ(playedFrames().front(), 0u);
    EXPECT_TRUE(controller->Stop());

    // 30870 frames behind: it skips to one ring's worth (13230 frames) before the live end.
    QFile::remove(capturePath);
    FakeRecordingPreview().generate(30870, Pattern);
    ASSERT_TRUE(controller->BeginRecordPreview());
    ASSERT_TRUE(WaitFor([this]() { return !playedFrames().empty(); }, kPatienceMs));
    EXPECT_EQ(playedFrames().front(), 30870u - 13230u);
    EXPECT_TRUE(controller->Stop());
}

TEST_F(PreviewPlaybackTest, AFailedReadIsReportedAndReportsOfAStoppedRunAreDropped)
{
    FakePreview().generate(kRate, Pattern);
    FakePreview().failReadsWith(TkErrorFailed);
    QSignalSpy errors(controller.get(), &PreviewController::playError);
    ASSERT_TRUE(controller->Play(0.0));
    ASSERT_TRUE(errors.wait(kPatienceMs));
    EXPECT_EQ(errors.first().at(0).toInt(), int(PreviewPlayErrorRead));
    EXPECT_TRUE(controller->Stop());
    FakePreview().failReadsWith(TkErrorSuccess);

    // The run finishes and posts its report; stopping before the report is delivered
    // drops it, so it cannot stop a playback started afterwards.
    QSignalSpy finished(controller.get(), &PreviewController::playFinished);
    ASSERT_TRUE(controller->Play(2.0));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
    while (controller->playManager()->status() != PreviewPlayManager::StatusFinished &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_EQ(controller->playManager()->status(), PreviewPlayManager::StatusFinished);
    EXPECT_TRUE(controller->Stop());
    ASSERT_TRUE(controller->Play(0.0));
    QCoreApplication::processEvents();
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(controller->GetStatus(), PreviewController::StatusPlaying);
}

TEST_F(PreviewPlaybackTest, StartsAndStopsQuicklyAndCanBeDestroyedWhilePlaying)
{
    FakePreview().generate(kRate, Pattern);
    FakeRecordingPreview().generate(kRate, Pattern);
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(i % 3 == 0 ? controller->BeginRecordPreview() : controller->Play(0.1 * (i % 10)));
        float level[2];
        controller->GetLevel(level, 2);
        ASSERT_TRUE(controller->Stop());
    }
    ASSERT_TRUE(controller->Play(0.0));
    ASSERT_TRUE(WaitFor([this]() { return !playedFrames().empty(); }, kPatienceMs));
    controller.reset(); // as when the program quits while playing
}

TEST_F(PreviewPlaybackTest, ADsdRecordingPlaysAtItsPreviewRate)
{
    Fake().lastSetting = TkRecordSetting{1, 2822400, 1};
    PreviewPlayManager run;
    ASSERT_TRUE(run.initManager(controller.get()));
    EXPECT_EQ(run.frequency(), 44100u);
    EXPECT_EQ(run.channels(), 2u);
}

TEST(PreviewPlaybackCommands, PlayRunsToTheEndAndTheEditModeReturnsToStopped)
{
    ResetFake();
    qputenv("SILLARO_AUDIO_OUTPUT", "null");
    FakeMainView view;
    ScriptedDialogs dialogs;
    auto app = std::make_unique<ControlHarness>(view, dialogs);
    Fake().lastSetting = TkRecordSetting{0, kRate, 24};
    FakePreview().generate(kRate, Pattern);
    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    mtm.setTotalTime(1.0);
    mtm.setCurrentTime(0.6);
    mtm.setStatus(ModeStatusEditStopped);

    ControlManager* cm = app->controlManager();
    cm->Play();
    EXPECT_EQ(mtm.status(), ModeStatusEditPlaying);
    EXPECT_EQ(cm->previewController()->GetStatus(), PreviewController::StatusPlaying);
    ASSERT_TRUE(WaitFor([&]() { return mtm.status() == ModeStatusEditStopped; }, kPatienceMs));
    EXPECT_EQ(mtm.currentTime(), 1.0);
    EXPECT_EQ(cm->previewController()->GetStatus(), PreviewController::StatusIdle);
    app.reset();
}

TEST(PreviewPlaybackCommands, AnOutputThatCannotBeOpenedIsReportedAndNothingPlays)
{
    ResetFake();
    qputenv("SILLARO_AUDIO_OUTPUT", "null");
    qputenv("SILLARO_AUDIO_CAPTURE", "/nonexistent-folder/played.f32"); // the output fails to open
    FakeMainView view;
    ScriptedDialogs dialogs;
    auto app = std::make_unique<ControlHarness>(view, dialogs);
    dialogs.clear();
    Fake().lastSetting = TkRecordSetting{0, kRate, 24};
    FakePreview().generate(kRate, Pattern);
    ModeTimeManager& mtm = ModeTimeManager::sharedInstance();
    mtm.setTotalTime(1.0);
    mtm.setCurrentTime(0.0);
    mtm.setStatus(ModeStatusEditStopped);

    ControlManager* cm = app->controlManager();
    cm->Play();
    qunsetenv("SILLARO_AUDIO_CAPTURE");
    EXPECT_EQ(mtm.status(), ModeStatusEditStopped);
    EXPECT_EQ(cm->previewController()->GetStatus(), PreviewController::StatusIdle);
    EXPECT_EQ(dialogs.messages(), QStringList{"There is a problem with an audio playback device. It might not be "
                                              "installed on your computer or might be used by another app."});
    app.reset();
}
