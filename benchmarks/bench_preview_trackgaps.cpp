// Evaluation of the track finder on generated sides (tests/support/RecordSide.h):
// a hundred varied sides, PCM and DSD, with lead-in and run-out of
// electrical noise or digital silence. Prints the share of true boundaries
// found within 0.3 s, the false boundaries per 20 sides, the result with the
// track count given, how close the music start and end come, and the time
// the analysis of a 30-minute side takes as a share of its length, beside
// the time a plain write of the same preview stream to a file takes in the
// same run (the anchor).
#include "preview/LevelEnvelope.h"
#include "preview/TrackGapFinder.h"
#include "support/RecordSide.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kTolerance = 0.3;

struct Score {
    size_t trueBoundaries = 0;
    size_t found = 0;
    size_t falseBoundaries = 0;
};

// Matches each true boundary (the start of a track after the first) with the
// nearest unused suggestion within the tolerance.
Score Compare(const std::vector<double>& truth, const std::vector<SuggestedBoundary>& suggested)
{
    Score score;
    score.trueBoundaries = truth.size();
    std::vector<bool> used(suggested.size(), false);
    for (double boundary : truth) {
        size_t best = suggested.size();
        for (size_t i = 0; i < suggested.size(); ++i) {
            const double distance = std::abs(suggested[i].seconds - boundary);
            if (!used[i] && distance <= kTolerance &&
                (best == suggested.size() || distance < std::abs(suggested[best].seconds - boundary))) {
                best = i;
            }
        }
        if (best < suggested.size()) {
            used[best] = true;
            ++score.found;
        }
    }
    score.falseBoundaries = static_cast<size_t>(std::count(used.begin(), used.end(), false));
    return score;
}

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double WallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The engine's analysis: window levels of the preview, then the finder.
SideAnalysis Analyse(const RecordSide& side, size_t trackCount = 0)
{
    return AnalyseSide(SideLevels(side), {}, trackCount);
}

void EvaluateSides(size_t sides)
{
    Score automatic;
    size_t countRight = 0;
    size_t countSides = 0;
    size_t countRightWide = 0;
    size_t countSidesWide = 0;
    double startError = 0.0;
    double endError = 0.0;
    size_t dsdSides = 0;
    size_t problems = 0;
    for (uint32_t seed = 1; seed <= sides; ++seed) {
        const SidePlan plan = VariedSidePlan(seed, 4000);
        dsdSides += plan.format == SideFormat::Dsd ? 1 : 0;
        const RecordSide side = MakeRecordSide(plan);
        const std::vector<double> truth(side.truth.trackStarts.begin() + 1, side.truth.trackStarts.end());
        const SideAnalysis found = Analyse(side);
        problems += found.problem != SideProblem::None ? 1 : 0;
        const Score score = Compare(truth, found.boundaries);
        automatic.trueBoundaries += score.trueBoundaries;
        automatic.found += score.found;
        automatic.falseBoundaries += score.falseBoundaries;
        // The first track starts 0.2 s before the music; the last ends 0.2 s
        // after the fade-out sinks below the groove noise.
        startError = std::max(startError, std::abs(found.musicStartSeconds + 0.2 - side.truth.trackStarts.front()));
        endError = std::max(endError, std::abs(found.musicEndSeconds - side.truth.trackEnds.back()));
        if (score.found != score.trueBoundaries || score.falseBoundaries != 0) {
            std::printf("side %u: %zu of %zu found, %zu false (%s, %zu tracks, gaps from %.2f s)\n", seed,
                        score.found, score.trueBoundaries, score.falseBoundaries,
                        plan.format == SideFormat::Dsd ? "DSD" : "PCM", plan.trackSeconds.size(),
                        *std::min_element(plan.gapSeconds.begin(), plan.gapSeconds.end()));
        }
        const SideAnalysis given = Analyse(side, plan.trackSeconds.size());
        const Score withCount = Compare(truth, given.boundaries);
        const bool right = withCount.found == withCount.trueBoundaries && withCount.falseBoundaries == 0;
        ++countSides;
        countRight += right ? 1 : 0;
        if (*std::min_element(plan.gapSeconds.begin(), plan.gapSeconds.end()) >= 1.0) {
            ++countSidesWide;
            countRightWide += right ? 1 : 0;
        }
    }
    std::printf("sides: %zu (%zu DSD), true boundaries: %zu, sides with a problem: %zu\n", sides, dsdSides,
                automatic.trueBoundaries, problems);
    std::printf("found within %.1f s: %.2f %% (goal >= 98 %%)\n", kTolerance,
                100.0 * static_cast<double>(automatic.found) / static_cast<double>(automatic.trueBoundaries));
    std::printf("false boundaries per 20 sides: %.2f (goal <= 1)\n",
                20.0 * static_cast<double>(automatic.falseBoundaries) / static_cast<double>(sides));
    std::printf("track count given: every boundary right on %zu of %zu sides; on %zu of %zu sides whose gaps "
                "are >= 1 s (goal: all)\n",
                countRight, countSides, countRightWide, countSidesWide);
    std::printf("largest error of the music start: %.2f s, of the music end: %.2f s\n", startError, endError);
}

// A 30-minute side at 44.1 kHz: the analysis (levels of the whole preview
// and the finder) against a plain write of the same preview bytes.
void TimeLongSide()
{
    SidePlan plan;
    plan.previewRate = 44100;
    plan.trackSeconds = {240.0, 180.0, 300.0, 200.0, 260.0, 220.0, 330.0};
    plan.gapSeconds = {2.0, 1.5, 3.0, 2.5, 1.2, 2.0};
    plan.leadInSeconds = 10.0;
    plan.runOutSeconds = 15.0;
    const RecordSide side = MakeRecordSide(plan);
    const double seconds = static_cast<double>(side.preview.size() / 2) / side.rate;
    const std::string path = "/tmp/bench_preview_trackgaps." + std::to_string(getpid());
    std::vector<double> analysis;
    std::vector<double> write;
    size_t boundaries = 0;
    for (int run = 0; run < 5; ++run) {
        const double cpu = CpuSeconds();
        boundaries = Analyse(side).boundaries.size();
        analysis.push_back(CpuSeconds() - cpu);
        const double wall = WallSeconds();
        if (FILE* file = std::fopen(path.c_str(), "wb")) {
            std::fwrite(side.preview.data(), sizeof(int16_t), side.preview.size(), file);
            std::fclose(file);
        }
        write.push_back(WallSeconds() - wall);
        std::remove(path.c_str());
    }
    std::sort(analysis.begin(), analysis.end());
    std::sort(write.begin(), write.end());
    std::printf("30-minute side (%.0f s, 44.1 kHz stereo preview, %zu boundaries): analysis %.1f ms of CPU = "
                "%.4f %% of its length (goal < 0.2 %%); plain write of the preview (%.0f MB) %.1f ms = %.4f %% "
                "(medians of 5)\n",
                seconds, boundaries, 1000.0 * analysis[2], 100.0 * analysis[2] / seconds,
                static_cast<double>(side.preview.size() * 2) / 1e6, 1000.0 * write[2], 100.0 * write[2] / seconds);
}

} // namespace

int main(int argc, char** argv)
{
    const size_t sides = argc > 1 ? static_cast<size_t>(std::strtoul(argv[1], nullptr, 10)) : 100;
    std::printf("cores: %ld\n", sysconf(_SC_NPROCESSORS_ONLN));
    EvaluateSides(sides);
    TimeLongSide();
    return 0;
}
