// Click repair through the exported functions on a recording of a worn
// record made on the simulated turntable: the analysis with its progress,
// the places, the repaired preview for listening, and tracks written with
// and without the repair. The recording itself stays as it was.
#include "SavingSession.h"
#include "support/DamagedRecord.h"
#include "support/ExternalReaders.h"
#include "support/SourceWav.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

using namespace saving;

namespace {

constexpr uint32_t kRate = 48000;

// The recording of a few seconds of a worn record, made on first use.
uint64_t RecordedFrames()
{
    static uint64_t frames = 0;
    if (frames == 0) {
        DamagePlan plan;
        plan.rate = kRate;
        plan.seconds = 10.0;
        const DamagedRecord record = MakeDamagedRecord(plan);
        const SourceSignal source =
            MakeSignal(kRate, record.Frames(), [&](uint64_t i, int c) { return record.damaged[c][i]; });
        const std::string path = ScratchFolder() + "/worn.wav";
        EXPECT_TRUE(WriteSourceWav(source, path));
        std::string error;
        EXPECT_TRUE(InitEngineOnce(path, 8.0, error)) << error;
        RecordPlan recording;
        recording.setting = TkRecordSetting{0, kRate, 24};
        recording.recordMs = 300;
        EXPECT_TRUE(Record(recording, frames, error)) << error;
    }
    return frames;
}

// Runs the analysis and waits for its end; the state it ended in.
TkClickAnalysisState FindClicks()
{
    EXPECT_EQ(Cartova_FindClicks(TkClickSensitivityNormal), TkErrorSuccess);
    int32_t progress = 0;
    TkClickAnalysisState state = TkClickAnalysisRunning;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (state == TkClickAnalysisRunning && std::chrono::steady_clock::now() < giveUp) {
        EXPECT_EQ(Cartova_FindClicksProgress(&progress, &state), TkErrorSuccess);
        Queue().RunFor(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(progress, state == TkClickAnalysisFinished ? 1000 : progress);
    return state;
}

std::vector<int32_t> WriteWholeRecording(const std::string& name)
{
    const std::string path = ScratchFolder() + "/" + name;
    const SaveOutcome outcome = SaveTracks({{path, 0.0, static_cast<double>(RecordedFrames()) / kRate, 0.0, {}}});
    EXPECT_TRUE(outcome.finished);
    std::vector<int32_t> samples;
    EXPECT_TRUE(DecodeWithSox(path, samples));
    return samples;
}

} // namespace

TEST(ClickRepairTrack, AnalysisFindsPlacesAndTheRepairReachesPreviewAndTracks)
{
    ASSERT_GT(RecordedFrames(), 0u);
    ASSERT_EQ(FindClicks(), TkClickAnalysisFinished);
    TkClickPlaceList* list = nullptr;
    ASSERT_EQ(Cartova_GetClickPlaces(&list), TkErrorSuccess);
    ASSERT_GT(list->count, 5u);
    EXPECT_EQ(list->sample_rate, kRate);
    EXPECT_EQ(list->channels, 2);
    const std::vector<TkClickPlace> places(list->places, list->places + list->count);

    // Listening: repaired samples in the places, the recording elsewhere;
    // the waveform's preview stays as recorded.
    ASSERT_EQ(Cartova_SetClickRepair(true, false), TkErrorSuccess);
    const uint64_t frames = RecordedFrames();
    std::vector<int16_t> repairedPreview(frames * 2);
    ASSERT_EQ(Cartova_GetRepairedPreviewData(0, frames, repairedPreview.data(), repairedPreview.size()), TkErrorSuccess);
    const std::vector<int16_t> preview = FinishedPreview(0, frames);
    std::vector<bool> inPlace(frames, false);
    for (const TkClickPlace& place : places) {
        for (uint64_t n = place.position; n < place.position + place.length; ++n) {
            inPlace[n] = true;
        }
    }
    size_t previewChanged = 0;
    for (uint64_t n = 0; n < frames; ++n) {
        for (int c = 0; c < 2; ++c) {
            const bool changed = repairedPreview[2 * n + c] != preview[2 * n + c];
            EXPECT_FALSE(changed && !inPlace[n]) << n;
            previewChanged += changed;
        }
    }
    EXPECT_GT(previewChanged, 0u);

    // Writing: the same track with and without the repair differs only in the places.
    ASSERT_EQ(Cartova_SetClickRepair(false, false), TkErrorSuccess);
    const std::vector<int32_t> asRecorded = WriteWholeRecording("recorded.wav");
    ASSERT_EQ(Cartova_SetClickRepair(false, true), TkErrorSuccess);
    const std::vector<int32_t> repaired = WriteWholeRecording("repaired.wav");
    ASSERT_EQ(asRecorded.size(), repaired.size());
    size_t trackChanged = 0;
    for (size_t i = 0; i < repaired.size(); ++i) {
        const bool changed = repaired[i] != asRecorded[i];
        EXPECT_FALSE(changed && !inPlace[i / 2]) << i;
        trackChanged += changed;
    }
    EXPECT_GT(trackChanged, 0u);
    Cartova_ReleaseClickPlaces(list);

    // Undo: the places are gone, and so is the repair.
    ASSERT_EQ(Cartova_ClearClickPlaces(), TkErrorSuccess);
    int32_t progress = 0;
    TkClickAnalysisState state = TkClickAnalysisRunning;
    ASSERT_EQ(Cartova_FindClicksProgress(&progress, &state), TkErrorSuccess);
    EXPECT_EQ(state, TkClickAnalysisNone);
    ASSERT_EQ(Cartova_GetClickPlaces(&list), TkErrorSuccess);
    EXPECT_EQ(list->count, 0u);
    Cartova_ReleaseClickPlaces(list);
    EXPECT_EQ(WriteWholeRecording("undone.wav"), asRecorded);
}
