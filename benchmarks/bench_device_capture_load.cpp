// The capture path under load: the engine records DSD256 (705600 Hz 16-bit
// carriage words, stereo) through the ALSA back-end from a PCM of a local
// configuration (alsa-lib's file plugin over a null device, paced to its
// rate), while every file write of the store is slowed down (a sleeping file
// system stand-in: pwrite sleeps --write-ms, default 40 ms, before writing).
// Around every IO callback it counts, on the capture thread, the heap
// allocations (malloc, calloc and realloc are hooked here), the mutexes
// locked, the locks that had to wait because another thread held them, and
// among those the waits on a mutex that its holder keeps across a file write
// (every thread's held mutexes are tracked through the lock hooks, and a
// thread inside pwrite publishes the ones it holds). It also times the
// callback. Reports cycles, those counts, the longest and the 99th-percentile
// callback time, and the queue overflow reports.
// A plain program: one run of --seconds=N (default 10) is the measurement.
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "MainQueue.h"
#include "device/AlsaAudioSystem.h"
#include "device/TurntableIdentity.h"
#include "engine/ToolkitManager.h"

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* pointer, size_t size);

namespace {

// What one thread counts while it is inside an IO callback.
struct CallbackCounts {
    uint64_t allocations = 0;
    uint64_t locks = 0;
    uint64_t contended = 0;
    uint64_t heldAcrossWrite = 0;
};

thread_local bool t_counting = false;
thread_local CallbackCounts t_counts;
std::atomic<int> g_writeSleepMs{40};

// The mutexes a thread holds, as far as the lock hooks saw them.
constexpr int kMaxHeld = 32;
thread_local pthread_mutex_t* t_held[kMaxHeld];
thread_local int t_heldCount = 0;

// Mutexes held by threads that are inside pwrite: one row per writing thread.
constexpr int kWriterRows = 8;
std::atomic<bool> g_writerRowBusy[kWriterRows];
std::atomic<pthread_mutex_t*> g_heldInWrite[kWriterRows][kMaxHeld];
std::atomic<int> g_writesInProgress{0};

using MutexCall = int (*)(pthread_mutex_t*);

// The C library's own functions, looked up on first use (no guarded static:
// its guard could itself lock a mutex and come back here).
std::atomic<MutexCall> g_realLock{nullptr};
std::atomic<MutexCall> g_realTryLock{nullptr};
std::atomic<MutexCall> g_realUnlock{nullptr};

MutexCall RealMutexCall(std::atomic<MutexCall>& slot, const char* name)
{
    MutexCall call = slot.load(std::memory_order_acquire);
    if (call == nullptr) {
        call = reinterpret_cast<MutexCall>(dlsym(RTLD_NEXT, name));
        slot.store(call, std::memory_order_release);
    }
    return call;
}

void NoteLocked(pthread_mutex_t* mutex)
{
    if (t_heldCount < kMaxHeld) {
        t_held[t_heldCount++] = mutex;
    }
}

bool HeldAcrossWrite(pthread_mutex_t* mutex)
{
    for (int row = 0; row < kWriterRows; ++row) {
        for (int i = 0; i < kMaxHeld; ++i) {
            if (g_heldInWrite[row][i].load() == mutex) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

// Heap allocation hooks: count on the thread that is inside an IO callback.
extern "C" void* malloc(size_t size)
{
    if (t_counting) {
        ++t_counts.allocations;
    }
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    if (t_counting) {
        ++t_counts.allocations;
    }
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* pointer, size_t size)
{
    if (t_counting) {
        ++t_counts.allocations;
    }
    return __libc_realloc(pointer, size);
}

// Mutex hooks: every thread's held mutexes, and in a callback what it locked
// and what it had to wait for.
extern "C" int pthread_mutex_trylock(pthread_mutex_t* mutex)
{
    const int result = RealMutexCall(g_realTryLock, "pthread_mutex_trylock")(mutex);
    if (result == 0) {
        NoteLocked(mutex);
        if (t_counting) {
            ++t_counts.locks;
        }
    }
    return result;
}

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    if (t_counting) {
        ++t_counts.locks;
        if (RealMutexCall(g_realTryLock, "pthread_mutex_trylock")(mutex) == 0) {
            NoteLocked(mutex);
            return 0;
        }
        ++t_counts.contended;
        if (HeldAcrossWrite(mutex)) {
            ++t_counts.heldAcrossWrite;
        }
    }
    const int result = RealMutexCall(g_realLock, "pthread_mutex_lock")(mutex);
    if (result == 0) {
        NoteLocked(mutex);
    }
    return result;
}

extern "C" int pthread_mutex_unlock(pthread_mutex_t* mutex)
{
    for (int i = t_heldCount - 1; i >= 0; --i) {
        if (t_held[i] == mutex) {
            t_held[i] = t_held[--t_heldCount];
            break;
        }
    }
    return RealMutexCall(g_realUnlock, "pthread_mutex_unlock")(mutex);
}

// The sleeping file system: every positional write of the store waits first,
// with the writer's held mutexes published for the callback's lock hook.
extern "C" ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    using Real = ssize_t (*)(int, const void*, size_t, off_t);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "pwrite"));
    int row = 0;
    for (;; row = (row + 1) % kWriterRows) {
        bool expected = false;
        if (g_writerRowBusy[row].compare_exchange_strong(expected, true)) {
            break;
        }
    }
    for (int i = 0; i < t_heldCount; ++i) {
        g_heldInWrite[row][i].store(t_held[i]);
    }
    ++g_writesInProgress;
    std::this_thread::sleep_for(std::chrono::milliseconds(g_writeSleepMs.load()));
    const ssize_t written = real(fd, buffer, count, offset);
    --g_writesInProgress;
    for (int i = 0; i < kMaxHeld; ++i) {
        g_heldInWrite[row][i].store(nullptr);
    }
    g_writerRowBusy[row].store(false);
    return written;
}

namespace {

constexpr uint32_t kCarriageRate = 705600;
constexpr uint64_t kDsd256 = 11289600;

// The vendor switch of a device that is a file: accepted, nothing to do.
class AcceptingUsb : public IUsbDeviceAccess {
    class Handle : public IUsbDeviceHandle {
    public:
        IOReturn ControlTransfer(const UsbDeviceRequest&) override { return kIOReturnSuccess; }
    };

public:
    std::unique_ptr<IUsbDeviceHandle> Open(int, int, IOReturn& status) override
    {
        status = kIOReturnSuccess;
        return std::make_unique<Handle>();
    }
};

struct CycleRecord {
    CallbackCounts counts;
    double microseconds;
};

// The ALSA back-end with the engine's IO procedure wrapped in the measurement.
class MeasuredAlsaSystem : public AlsaAudioSystem {
public:
    using AlsaAudioSystem::AlsaAudioSystem;

    OSStatus CreateIOProcID(AudioObjectID device, AudioDeviceIOProc proc, void* clientData,
                            AudioDeviceIOProcID& procId) override
    {
        m_proc = proc;
        m_clientData = clientData;
        m_records.reserve(100000);
        return AlsaAudioSystem::CreateIOProcID(device, &MeasuredAlsaSystem::Measure, this, procId);
    }

    std::vector<CycleRecord> Records()
    {
        std::lock_guard lock(m_mutex);
        return m_records;
    }

private:
    static OSStatus Measure(AudioObjectID device, const AudioBufferList* input, AudioBufferList* output, void* self)
    {
        auto* system = static_cast<MeasuredAlsaSystem*>(self);
        t_counts = CallbackCounts{};
        const auto start = std::chrono::steady_clock::now();
        t_counting = true;
        const OSStatus status = system->m_proc(device, input, output, system->m_clientData);
        t_counting = false;
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        std::lock_guard lock(system->m_mutex);
        if (system->m_records.size() < system->m_records.capacity()) {
            system->m_records.push_back({t_counts, us});
        }
        return status;
    }

    AudioDeviceIOProc m_proc = nullptr;
    void* m_clientData = nullptr;
    std::mutex m_mutex;
    std::vector<CycleRecord> m_records;
};

int g_refused = 0; // queue overflow notifications, main thread only
void OnOperation(void*, TkRecOperation) {}
void OnStream(void*, double) {}
void OnConvert(void*, double) {}
void OnError(void*, TkNotifyError code, const char*)
{
    if (code == TkNotifyQueueOverflow) {
        ++g_refused;
    }
}

// The detector's own check: a lock that another thread holds across a
// (slowed) file write must be counted as such when a counting thread waits.
bool DetectorSeesAWaitOnALockHeldAcrossAWrite(const std::filesystem::path& folder)
{
    const int fd = open((folder / "probe").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    std::mutex lock;
    std::thread holder([&] {
        std::lock_guard guard(lock);
        const char byte = 0;
        (void)pwrite(fd, &byte, 1, 0);
    });
    while (g_writesInProgress.load() == 0) {
        std::this_thread::yield();
    }
    t_counts = CallbackCounts{};
    t_counting = true;
    lock.lock();
    t_counting = false;
    lock.unlock();
    holder.join();
    close(fd);
    return t_counts.heldAcrossWrite == 1;
}

int OptionValue(int argc, char** argv, const char* name, int fallback)
{
    const size_t length = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, length) == 0 && argv[i][length] == '=') {
            return std::atoi(argv[i] + length + 1);
        }
    }
    return fallback;
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = OptionValue(argc, argv, "--seconds", 10);
    g_writeSleepMs = OptionValue(argc, argv, "--write-ms", 40);

    char pattern[] = "/tmp/cartova-load-XXXXXX";
    const std::filesystem::path folder = mkdtemp(pattern);
    // Two seconds of carriage words; the file plugin repeats stale data after
    // its end, which does not matter here.
    std::vector<char> words(static_cast<size_t>(kCarriageRate) * 2 * 2 * 2);
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<char>((i * 2654435761u) >> 13);
    }
    std::ofstream(folder / "dsd.raw", std::ios::binary).write(words.data(), static_cast<std::streamsize>(words.size()));
    const bool detectorWorks = DetectorSeesAWaitOnALockHeldAcrossAWrite(folder);
    std::ofstream(folder / "asound.conf") << "pcm.load { type file slave.pcm { type null } file \"/dev/null\" infile \""
                                          << (folder / "dsd.raw").string() << "\" format \"raw\" }\n";
    setenv("ALSA_CONFIG_PATH", (folder / "asound.conf").c_str(), 1);

    SoundCard card;
    card.index = 0;
    card.id = "load";
    card.name = kTurntableName;
    card.usb = true;
    card.vid = kTurntableVendorId;
    card.pid = kTurntableProductId;
    card.interfaceNumber = 2;
    card.hasCapture = true;
    card.uid = "usb:load";
    card.pcmName = "load";
    AlsaSystemOptions options;
    options.scan = [card] { return std::vector<SoundCard>{card}; };
    options.usb = std::make_shared<AcceptingUsb>();
    options.reserveCards = false;
    options.watchHotplug = false;
    auto system = std::make_shared<MeasuredAlsaSystem>(options);

    int exitCode = 0;
    {
        ToolkitManager engine(AudioBackend{system, system});
        MainQueue queue;
        const ICartovaDelegate delegate{&queue, OnOperation, OnStream, OnConvert, OnError, MainQueue::PostToMainQueue};
        const TkRecordSetting dsd{1, kDsd256, 1};
        if (engine.Init(&delegate) != TkErrorSuccess || engine.SetTempDirectory(folder.c_str()) != TkErrorSuccess ||
            engine.SetAudioDevice(kTurntableName) != TkErrorSuccess || engine.SetRecordSetting(&dsd) != TkErrorSuccess ||
            engine.Start() != TkErrorSuccess) {
            std::fprintf(stderr, "bench_device_capture_load: cannot start recording\n");
            exitCode = 1;
        } else {
            queue.RunFor(std::chrono::seconds(seconds));
            engine.Stop(true);
            queue.RunUntilIdle();
        }
    }

    std::vector<CycleRecord> records = system->Records();
    CallbackCounts total;
    uint64_t allocatingCycles = 0;
    uint64_t mostAllocations = 0;
    std::vector<double> times;
    for (const CycleRecord& r : records) {
        total.allocations += r.counts.allocations;
        total.locks += r.counts.locks;
        total.contended += r.counts.contended;
        total.heldAcrossWrite += r.counts.heldAcrossWrite;
        allocatingCycles += r.counts.allocations > 0 ? 1 : 0;
        mostAllocations = std::max(mostAllocations, r.counts.allocations);
        times.push_back(r.microseconds);
    }
    std::sort(times.begin(), times.end());
    const double longest = times.empty() ? 0 : times.back();
    const double p99 = times.empty() ? 0 : times[times.size() * 99 / 100];
    const auto count = [](uint64_t n) { return static_cast<unsigned long long>(n); };
    std::printf("DSD256 stereo through the ALSA back-end, store writes slowed by %d ms, %d s\n",
                g_writeSleepMs.load(), seconds);
    std::printf("  IO cycles:                   %zu\n", records.size());
    std::printf("  allocations in the callback: %llu in all, %llu cycles allocated, at most %llu in one\n",
                count(total.allocations), count(allocatingCycles), count(mostAllocations));
    std::printf("  mutexes locked in it:        %llu, of which waited for: %llu\n", count(total.locks),
                count(total.contended));
    std::printf("  waits on a lock held across a file write: %llu (detector self-check: %s)\n",
                count(total.heldAcrossWrite), detectorWorks ? "a staged wait is seen" : "FAILED");
    std::printf("  callback time:               99%% within %.1f us, longest %.1f us (a slowed write is %d000 us)\n",
                p99, longest, g_writeSleepMs.load());
    std::printf("  queue overflow reports:      %d\n", g_refused);
    std::filesystem::remove_all(folder);
    return exitCode;
}
