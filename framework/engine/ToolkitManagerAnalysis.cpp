// The engine's analysis of a finished recording: the needle and music points
// and suggested track boundaries from the levels of the finished preview
// stream. The preview is read in
// blocks of a few seconds and reduced to 10 ms window levels on the way, so
// the analysis needs no more memory for a long side than for a short one.
#include "engine/ToolkitManager.h"

#include "preview/LevelEnvelope.h"

#include <algorithm>
#include <cmath>

namespace {

// Preview frames read at a time: five seconds at the highest preview rate.
constexpr uint64_t kBlockFrames = 5 * 384000;

} // namespace

TkError ToolkitManager::FindTrackGaps(const TrackGapParameters& parameters,
                                      std::vector<double>& boundaries)
{
    boundaries.clear();
    SideAnalysis side;
    const TkError result = AnalyseSide(parameters, 0, side);
    for (const SuggestedBoundary& boundary : side.boundaries) {
        boundaries.push_back(boundary.seconds);
    }
    return result;
}

TkError ToolkitManager::AnalyseSide(const TrackGapParameters& parameters, size_t trackCount,
                                    SideAnalysis& side)
{
    side = SideAnalysis{};
    if (!TrackGapParametersValid(parameters)) {
        return TkErrorInvalidArgument;
    }
    // Only a recording that is not growing can be analysed.
    const TkError state = CheckState({EngineState::Initialized, EngineState::DeviceReady});
    if (state != TkErrorSuccess) {
        return state;
    }
    const uint16_t channels = m_preview.GetChannels();
    const uint64_t rate = m_preview.GetSampleRate();
    const uint64_t length = m_preview.GetLength(true);
    if (channels == 0 || rate == 0 || length == 0) {
        side.problem = SideProblem::TooShort; // nothing recorded
        return TkErrorSuccess;
    }
    const auto framesPerWindow =
        static_cast<uint32_t>(std::llround(static_cast<double>(rate) * kGapWindowSeconds));
    LevelEnvelope envelope(framesPerWindow, channels);
    std::vector<int16_t> samples;
    for (uint64_t first = 0; first < length; first += kBlockFrames) {
        const uint64_t end = std::min(length, first + kBlockFrames);
        const TkError result = m_preview.GetData(first, end, samples, true);
        if (result != TkErrorSuccess) {
            return result;
        }
        envelope.Add(samples.data(), std::min<size_t>(samples.size() / channels, end - first));
    }
    envelope.Finish();
    side = ::AnalyseSide(envelope.LevelsDb(), parameters, trackCount);
    // Window positions become seconds of the preview stream; a window is
    // kGapWindowSeconds up to the rounding of its frame count.
    const double scale = static_cast<double>(framesPerWindow) / static_cast<double>(rate) / kGapWindowSeconds;
    for (double* seconds : {&side.needleDownSeconds, &side.needleUpSeconds, &side.musicStartSeconds,
                            &side.musicEndSeconds}) {
        *seconds *= scale;
    }
    for (SuggestedBoundary& boundary : side.boundaries) {
        boundary.seconds *= scale;
    }
    return TkErrorSuccess;
}
