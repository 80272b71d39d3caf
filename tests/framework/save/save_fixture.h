// Shared helpers of the save tests: a recording in RecordData filled with
// known float samples, an engine stand-in that records notifications, the
// save thread's part for a single call of a writer, a scratch folder, and
// running the external readers (ffprobe, sox, mutagen).
#pragma once

#include "convert/SampleTypeInfo.h"
#include "engine/IToolkitManager.h"
#include "save/SaveDsfFile.h"
#include "save/SaveVolumeChecks.h"
#include "save/TkSaveSettingInternal.h"
#include "storage/RecordData.h"
#include "storage/RecordRangeManager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace savetest {

namespace fs = std::filesystem;

struct Notification {
    bool isError;
    int code;
    std::string message;
};

// Engine stand-in: gives a temporary folder and records every notification.
class FakeEngine : public IToolkitManager {
public:
    explicit FakeEngine(std::string tempDir) : m_tempDir(std::move(tempDir)) {}

    void ConvertThread_AddDataNotify() override {}
    void NotifyOperationProc(TkRecOperation operation) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_log.push_back({false, operation, ""});
    }
    void NotifyStreamPosProc(double) override {}
    void NotifyConvertPosProc(double) override {}
    void NotifyErrorMessageProc(int code, const char* message) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_log.push_back({true, code, message ? message : ""});
    }
    const char* GetTempDirectory() override { return m_tempDir.c_str(); }
    bool IsTempDirectoryExists() override { return tempExists; }

    std::vector<Notification> Log() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_log;
    }

    bool tempExists = true;

private:
    std::string m_tempDir;
    std::mutex m_lock;
    std::vector<Notification> m_log;
};

// The save thread's part for a single call of a writer. cancelAt > 0 turns
// on a cancellation with deletion once that many samples are done.
class StubHost : public IDsfWriterHost {
public:
    explicit StubHost(RecordData* data) : m_data(data) {}
    RecordData* GetRecordData() override { return m_data; }
    uint32_t GetCancelMode() override { return cancelMode; }
    void SetFileProgress(uint64_t done, uint64_t samples) override {
        fileDone = done;
        fileSamples = samples;
        if (cancelAt > 0 && done >= cancelAt) cancelMode = 1;
    }
    void AddTotalDone(uint64_t samples) override { totalDone += samples; }
    TkError SaveCreateDirectory(const std::string& path) override {
        return DirectoryPart(path).empty() ? TkErrorFailed : TkErrorSuccess;
    }
    bool CheckDiskSpace(const std::string&, uint64_t bytes) override {
        bytesChecked = bytes;
        return true;
    }
    bool CheckFileSystemFileSizeLimit(const std::string&, uint64_t) override { return true; }
    void NotifyFileSkipped(const std::string& path) override { skipped.push_back(path); }
    void SetFailureCause(const std::string& text) override { cause = text; }

    uint32_t cancelMode = 0;
    uint64_t cancelAt = 0;
    uint64_t fileDone = 0, fileSamples = 0, totalDone = 0, bytesChecked = 0;
    std::vector<std::string> skipped;
    std::string cause;

private:
    RecordData* m_data;
};

// One track to write: [start, end) seconds with a gain and tags.
inline TkSaveSettingInternal Job(const std::string& path, double start, double end, double gain = 0.0,
                                 std::map<std::string, std::string> tags = {}) {
    TkSaveSettingInternal job;
    job.path = path;
    job.start = start;
    job.end = end;
    job.gain = gain;
    job.tags = std::move(tags);
    return job;
}

// A unique scratch folder, removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/save-test-XXXXXX";
        m_path = mkdtemp(pattern);
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Deterministic test signal of channel c at sample i, in [-0.9, 0.9].
inline float TestSample(unsigned c, uint64_t i) {
    return 0.9f * std::sin(0.001f * static_cast<float>(i) * static_cast<float>(c + 1) + 0.3f * c);
}

// A PCM recording of frames samples per channel, all of it recorded.
class PcmRecording {
public:
    PcmRecording(FakeEngine& engine, uint16_t channels, uint64_t rate, uint64_t frames,
                 float (*sample)(unsigned, uint64_t) = TestSample)
        : data(&engine) {
        EXPECT_EQ(data.Init(channels, rate, GetSampleTypeInfo(kSampleTypeFloat32), &ranges), TkErrorSuccess);
        ranges.AddRecordEvent(0, RecordEventStart);
        samples.assign(channels, std::vector<float>());
        const uint64_t block = 4096;
        for (uint64_t at = 0; at < frames; at += block) {
            const uint64_t n = std::min(block, frames - at);
            for (uint16_t c = 0; c < channels; ++c) {
                std::vector<uint8_t> bytes(n * 4);
                for (uint64_t i = 0; i < n; ++i) {
                    const float v = sample(c, at + i);
                    samples[c].push_back(v);
                    std::memcpy(&bytes[i * 4], &v, 4);
                }
                EXPECT_EQ(data.Add(c, bytes), TkErrorSuccess);
            }
        }
        EXPECT_EQ(data.GetLength(true), frames);
    }

    RecordRangeManager ranges;
    RecordData data;
    std::vector<std::vector<float>> samples;
};

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline uint32_t LE32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

inline uint16_t LE16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// Standard output of a shell command (stderr discarded).
inline std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* p = popen((command + " 2>/dev/null").c_str(), "r");
    if (p == nullptr) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), p)) > 0) out.append(buffer, n);
    pclose(p);
    return out;
}

inline std::string Quote(const std::string& path) { return "'" + path + "'"; }

// One "key=value" line of ffprobe's flat output, or empty.
inline std::string ProbeValue(const std::string& probe, const std::string& key) {
    const std::string needle = key + "=";
    size_t at = 0;
    while ((at = probe.find(needle, at)) != std::string::npos) {
        if (at == 0 || probe[at - 1] == '\n') {
            const size_t end = probe.find('\n', at);
            return probe.substr(at + needle.size(), end - at - needle.size());
        }
        ++at;
    }
    return {};
}

inline std::string Probe(const std::string& path) {
    return RunCommand("ffprobe -v error -show_entries "
               "stream=codec_name,sample_rate,channels,bits_per_sample:format=duration,format_name:format_tags "
               "-of default=noprint_wrappers=1 " + Quote(path));
}

// The samples of a WAV file decoded by sox as signed little-endian integers
// of the given width, interleaved.
inline std::vector<int32_t> DecodeWithSox(const std::string& path, unsigned bits) {
    const std::string raw = RunCommand("sox " + Quote(path) + " -t raw -e signed-integer -b " + std::to_string(bits) +
                                " -L -");
    const size_t bytes = bits / 8;
    std::vector<int32_t> out;
    for (size_t at = 0; at + bytes <= raw.size(); at += bytes) {
        uint32_t v = 0;
        for (size_t k = 0; k < bytes; ++k) v |= static_cast<uint32_t>(static_cast<uint8_t>(raw[at + k])) << (8 * k);
        const unsigned shift = 32 - bits;
        out.push_back(static_cast<int32_t>(v << shift) >> shift);
    }
    return out;
}

// What the framework's float converter makes of x at the given depth.
inline int32_t Converted(float x, unsigned bits) {
    const SampleTypeInfo* f = GetSampleTypeInfo(kSampleTypeFloat32);
    uint8_t out[4] = {};
    (bits == 16 ? f->toInt16 : bits == 24 ? f->toInt24 : f->toInt32)(out, &x, 1);
    uint32_t v = 0;
    for (unsigned k = 0; k < bits / 8; ++k) v |= static_cast<uint32_t>(out[k]) << (8 * k);
    const unsigned shift = 32 - bits;
    return static_cast<int32_t>(v << shift) >> shift;
}

} // namespace savetest
