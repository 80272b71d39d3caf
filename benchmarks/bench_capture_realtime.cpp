// Real-time capacity of the capture path: records DSD256 stereo from the
// simulated turntable at real-time pace through the exported functions for
// 60 seconds (--seconds=N to change), then reports whether the capture queue
// overflowed, the CPU share of the threads that started with the recording,
// and the resident memory after 10 seconds and at the end (it must not grow
// with the recording's length). A plain program: one long run is the
// measurement. Exits with 1 when the queue overflowed or the recording failed.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "MainQueue.h"
#include "cartova.h"

namespace {

constexpr uint64_t kDsd256 = 11289600;

struct Events {
    std::vector<int> operations;
    int overflows = 0;
    int otherErrors = 0;
    double streamSeconds = 0;
};

Events g_events; // touched only by tasks on the main thread

void OnOperation(void*, TkRecOperation operation) { g_events.operations.push_back(operation); }
void OnStream(void*, double seconds) { g_events.streamSeconds = seconds; }
void OnConvert(void*, double) {}
void OnError(void*, TkNotifyError code, const char*)
{
    if (code == TkNotifyQueueOverflow) {
        ++g_events.overflows;
    } else {
        ++g_events.otherErrors;
    }
}

bool HasOperation(int operation)
{
    return std::find(g_events.operations.begin(), g_events.operations.end(), operation) !=
           g_events.operations.end();
}

// CPU time (user + system, in clock ticks) and name of one thread of this process.
struct ThreadTimes {
    std::string name;
    unsigned long long ticks = 0;
};

std::map<int, ThreadTimes> ReadThreads()
{
    std::map<int, ThreadTimes> threads;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line)) {
            continue;
        }
        // pid (comm) state ... ; utime and stime are fields 14 and 15.
        const size_t open = line.find('(');
        const size_t close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) {
            continue;
        }
        std::istringstream rest(line.substr(close + 2));
        std::string field;
        std::vector<std::string> fields;
        while (rest >> field) {
            fields.push_back(field);
        }
        if (fields.size() < 13) {
            continue;
        }
        ThreadTimes times;
        times.name = line.substr(open + 1, close - open - 1);
        times.ticks = std::stoull(fields[11]) + std::stoull(fields[12]);
        threads[std::stoi(entry.path().filename().string())] = times;
    }
    return threads;
}

// Resident set size (VmRSS) or its peak (VmHWM) in kB.
long StatusKilobytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t keyLength = std::strlen(key);
    while (std::getline(status, line)) {
        if (line.compare(0, keyLength, key) == 0 && line.size() > keyLength && line[keyLength] == ':') {
            return std::atol(line.c_str() + keyLength + 1);
        }
    }
    return -1;
}

int SecondsFromArguments(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--seconds=", 10) == 0) {
            const int seconds = std::atoi(argv[i] + 10);
            if (seconds >= 11) {
                return seconds;
            }
            std::fprintf(stderr, "--seconds must be at least 11; using 60\n");
        }
        // Other options (benchmark filters given to every benchmark) do not apply.
    }
    return 60;
}

bool Check(TkError result, const char* what)
{
    if (result != TkErrorSuccess) {
        std::fprintf(stderr, "%s failed: %d\n", what, static_cast<int>(result));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = SecondsFromArguments(argc, argv);
    setenv("CARTOVA_DEVICE", "sim", 1);
    setenv("CARTOVA_SIM_SPEED", "1", 1);
    unsetenv("CARTOVA_SIM_SOURCE");

    MainQueue queue;
    const ICartovaDelegate delegate{&queue, OnOperation, OnStream, OnConvert, OnError, MainQueue::PostToMainQueue};
    std::string folder = (std::filesystem::temp_directory_path() / "cartova-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const TkRecordSetting dsd256{1, kDsd256, 1};
    if (!Check(Cartova_Init(&delegate), "Cartova_Init") ||
        !Check(Cartova_SetTempDirectory(folder.c_str()), "Cartova_SetTempDirectory") ||
        !Check(Cartova_SetAudioDevice("QT-LV200"), "Cartova_SetAudioDevice") ||
        !Check(Cartova_SetRecordSetting(&dsd256), "Cartova_SetRecordSetting")) {
        std::filesystem::remove_all(folder);
        return 1;
    }

    const std::map<int, ThreadTimes> before = ReadThreads();
    const auto started = std::chrono::steady_clock::now();
    bool ok = Check(Cartova_Start(), "Cartova_Start") &&
              queue.RunUntil([] { return HasOperation(TkRecOperationCaptureStarted); }, std::chrono::seconds(10));
    long rssAt10 = -1;
    if (ok) {
        queue.RunFor(std::chrono::seconds(10));
        rssAt10 = StatusKilobytes("VmRSS");
        queue.RunFor(std::chrono::seconds(seconds - 10));
    }
    const std::map<int, ThreadTimes> during = ReadThreads();
    const long rssAtEnd = StatusKilobytes("VmRSS");
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ok = Check(Cartova_Stop(true), "Cartova_Stop") && ok;
    queue.RunUntil([] { return HasOperation(TkRecOperationStopped); }, std::chrono::seconds(10));

    // The threads that appeared with the recording, in the order the engine
    // starts them (thread ids grow): recording thread, conversion thread,
    // then the simulated device's IO thread.
    const char* roles[] = {"recording thread", "conversion thread", "simulator IO thread"};
    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    std::printf("DSD256 stereo, %d s at real-time pace (%.1f s wall)\n", seconds, wall);
    size_t index = 0;
    for (const auto& [tid, times] : during) {
        if (before.count(tid) != 0) {
            continue;
        }
        const char* role = index < 3 ? roles[index] : "other new thread";
        ++index;
        std::printf("  %-20s tid %-7d %-16s CPU %5.1f %%\n", role, tid, times.name.c_str(),
                    100.0 * static_cast<double>(times.ticks) / ticksPerSecond / wall);
    }
    std::printf("  recorded stream      %.1f s\n", g_events.streamSeconds);
    std::printf("  queue overflows      %d\n", g_events.overflows);
    std::printf("  other errors         %d\n", g_events.otherErrors);
    std::printf("  RSS after 10 s       %ld kB\n", rssAt10);
    std::printf("  RSS after %d s       %ld kB\n", seconds, rssAtEnd);
    std::printf("  peak RSS             %ld kB\n", StatusKilobytes("VmHWM"));

    Cartova_New(); // drops the recording's temporary files
    std::filesystem::remove_all(folder);
    return ok && g_events.overflows == 0 && g_events.otherErrors == 0 ? 0 : 1;
}
