// Click repair of a worn record, the whole process timed: a music-like
// 96 kHz 24-bit stereo record with 8 clicks, 0.5 pops and 40 crackle ticks
// a second (tests/support/DamagedRecord.h) is written as a WAV file and
// repaired by `cartova repair-clicks` and, as the anchor, by FFmpeg's
// adeclick filter on the same file. Both outputs are scored against the
// clean record:
//   snr_gain_db          SNR after minus SNR before, over the whole record
//   clicks_fixed_pct     clicks (pops, crackle ticks) whose error over their
//   pops_fixed_pct       damaged samples fell by 10 dB or more
//   crackle_fixed_pct
//   untouched_changed_pct  samples outside every damaged place that changed
//   untouched_snr_db     their power over the power of their changes
//   x_realtime           seconds of record per second of wall clock, file in
//                        to file out (BENCH_RESTORE_SECONDS sets the length)
#include "support/DamagedRecord.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>

namespace {

double RecordSeconds()
{
    const char* value = std::getenv("BENCH_RESTORE_SECONDS");
    return value != nullptr ? std::atof(value) : 60.0;
}

// The record, its WAV file and what was fed to the repairs, made once.
struct Record {
    std::filesystem::path folder;
    std::string input;
    DamagedRecord record;
    std::vector<std::vector<float>> fed; // the file's samples

    Record()
    {
        char pattern[] = "/tmp/bench-restore-XXXXXX";
        folder = mkdtemp(pattern);
        input = (folder / "worn.wav").string();
        DamagePlan plan;
        plan.rate = 96000;
        plan.seconds = RecordSeconds();
        record = MakeDamagedRecord(plan);
        TestWav wav;
        wav.rate = plan.rate;
        wav.format = WavSampleFormat::Int24;
        wav.samples = Quantise(record.damaged, 24);
        fed = wav.samples;
        if (!WriteTestWav(input, wav)) {
            std::fprintf(stderr, "cannot write %s\n", input.c_str());
            std::exit(1);
        }
    }
    ~Record()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

const Record& TheRecord()
{
    static const Record record;
    return record;
}

bool Run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs command (which writes output) once per iteration, then scores output.
void Measure(benchmark::State& state, const std::string& command, const std::string& output)
{
    const Record& record = TheRecord();
    double seconds = 0.0;
    for (auto _ : state) {
        std::filesystem::remove(output);
        const auto start = std::chrono::steady_clock::now();
        if (!Run(command)) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    TestWav repaired;
    if (!ReadTestWav(output, repaired) || repaired.samples.size() != record.fed.size() ||
        repaired.samples[0].size() != record.fed[0].size()) {
        state.SkipWithError("the output cannot be read or has another length");
        return;
    }
    const RepairScore score = ScoreRepair(record.record, record.fed, repaired.samples);
    state.counters["snr_gain_db"] = score.snrAfterDb - score.snrBeforeDb;
    state.counters["clicks_fixed_pct"] = 100.0 * score.clicksFixed;
    state.counters["pops_fixed_pct"] = 100.0 * score.popsFixed;
    state.counters["crackle_fixed_pct"] = 100.0 * score.crackleFixed;
    state.counters["untouched_changed_pct"] = 100.0 * score.untouchedChanged;
    state.counters["untouched_snr_db"] = score.untouchedSnrDb;
    state.counters["x_realtime"] = RecordSeconds() * static_cast<double>(state.iterations()) / seconds;
    state.counters["cores"] = std::thread::hardware_concurrency();
}

void BM_RepairClicks_Cartova(benchmark::State& state)
{
    const Record& record = TheRecord();
    const std::string output = (record.folder / "cartova.wav").string();
    Measure(state, std::string(CARTOVA_TOOL) + " repair-clicks '" + record.input + "' '" + output + "'", output);
}
BENCHMARK(BM_RepairClicks_Cartova)->Iterations(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RepairClicks_FfmpegAdeclick(benchmark::State& state)
{
    const Record& record = TheRecord();
    const std::string output = (record.folder / "ffmpeg.wav").string();
    Measure(state,
            "ffmpeg -loglevel error -y -i '" + record.input + "' -af adeclick -c:a pcm_s24le '" + output + "'",
            output);
}
BENCHMARK(BM_RepairClicks_FfmpegAdeclick)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
