// Sustained append throughput of TemporaryData beside a plain sequential
// write of the same bytes to the same folder, and resident memory over a
// long stream. The folder is $TMPDIR (or /tmp); the stream is one channel of
// 192 kHz float PCM in 50 ms blocks with five-second chunks, all recorded.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "storage/TemporaryData.h"
#include "support/FolderEngine.h"

namespace {

constexpr uint64_t kChunk = 3840000;   // five seconds of one 192 kHz float channel
constexpr size_t kBlock = 38400;       // 50 ms

std::string Folder()
{
    const char* dir = std::getenv("TMPDIR");
    return dir != nullptr && *dir != '\0' ? dir : "/tmp";
}

std::vector<uint8_t> Block()
{
    std::vector<uint8_t> block(kBlock);
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = uint8_t(i * 131 + 7);
    return block;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Appends `total` bytes through TemporaryData; returns seconds.
double AppendTemporaryData(TemporaryData& data, const std::vector<uint8_t>& block, uint64_t total)
{
    const RecordRangeList all = {{0, 0}};
    data.Init(kChunk);
    auto start = std::chrono::steady_clock::now();
    for (uint64_t done = 0; done < total; done += block.size()) {
        if (data.Add(block, all) != TkErrorSuccess)
            return -1.0;
    }
    double seconds = Seconds(start);
    data.Init(1);   // delete the files
    return seconds;
}

// Writes `total` bytes to one plain file with a 1 MiB stdio buffer; returns seconds.
double AppendPlainFile(const std::string& folder, const std::vector<uint8_t>& block, uint64_t total)
{
    std::string path = folder + "/tmpbenchXXXXXX";
    int fd = mkstemp(path.data());
    if (fd < 0)
        return -1.0;
    FILE* file = fdopen(fd, "w+b");
    std::vector<char> buffer(1 << 20);
    setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    auto start = std::chrono::steady_clock::now();
    bool ok = true;
    for (uint64_t done = 0; done < total && ok; done += block.size())
        ok = fwrite(block.data(), 1, block.size(), file) == block.size();
    ok = fflush(file) == 0 && ok;
    double seconds = Seconds(start);
    fclose(file);
    unlink(path.c_str());
    return ok ? seconds : -1.0;
}

void BM_AppendBesidePlainWrite(benchmark::State& state)
{
    const uint64_t total = uint64_t(state.range(0)) << 20;
    const std::string folder = Folder();
    FolderEngine engine(folder);
    TemporaryData data(&engine);
    const std::vector<uint8_t> block = Block();
    double storeSeconds = 0, plainSeconds = 0;
    for (auto _ : state) {
        double store = AppendTemporaryData(data, block, total);
        double plain = AppendPlainFile(folder, block, total);
        if (store < 0 || plain < 0) {
            state.SkipWithError("write failed");
            return;
        }
        storeSeconds += store;
        plainSeconds += plain;
        state.SetIterationTime(store);
    }
    const double megabytes = double(total) * double(state.iterations()) / 1e6;
    state.counters["store_MBps"] = megabytes / storeSeconds;
    state.counters["plain_MBps"] = megabytes / plainSeconds;
    state.counters["store_vs_plain"] = plainSeconds / storeSeconds;
    state.SetBytesProcessed(int64_t(total) * int64_t(state.iterations()));
}
BENCHMARK(BM_AppendBesidePlainWrite)->Arg(256)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

uint64_t ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtoull(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// Resident memory after the first tenth of a long stream and its maximum
// over the rest: the two should be about equal, whatever the length.
void BM_ResidentMemoryLongStream(benchmark::State& state)
{
    const uint64_t total = uint64_t(state.range(0)) << 20;
    FolderEngine engine(Folder());
    TemporaryData data(&engine);
    const std::vector<uint8_t> block = Block();
    const RecordRangeList all = {{0, 0}};
    uint64_t early = 0, peak = 0;
    for (auto _ : state) {
        data.Init(kChunk);
        for (uint64_t done = 0; done < total; done += block.size()) {
            if (data.Add(block, all) != TkErrorSuccess) {
                state.SkipWithError("write failed");
                return;
            }
            if (done % (64 * kBlock) == 0) {
                uint64_t rss = ResidentKiB();
                if (done < total / 10)
                    early = std::max(early, rss);
                else
                    peak = std::max(peak, rss);
            }
        }
        data.Init(1);
    }
    state.counters["rss_first_tenth_MiB"] = double(early) / 1024.0;
    state.counters["rss_peak_rest_MiB"] = double(peak) / 1024.0;
    state.counters["stream_MiB"] = double(total >> 20);
}
BENCHMARK(BM_ResidentMemoryLongStream)->Arg(2048)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
