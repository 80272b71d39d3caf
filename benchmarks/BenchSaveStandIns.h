// What the save benchmarks run the writers against: a float PCM recording
// held in the temporary files of a scratch folder (with a FolderEngine), and
// a writer host that never cancels and passes every volume check.
#pragma once

#include "convert/SampleTypeInfo.h"
#include "save/SaveDsfFile.h"
#include "storage/RecordData.h"
#include "storage/RecordRangeManager.h"
#include "support/FolderEngine.h"

#include <cstdlib>
#include <filesystem>
#include <string>

// An empty recording of 32-bit float samples, all of it recorded, in a
// scratch folder that is removed with everything in it at the end.
struct BenchRecording {
    std::string dir;
    FolderEngine engine;
    RecordRangeManager ranges;
    RecordData data;

    BenchRecording(uint16_t channels, uint64_t rate) : dir(MakeDir()), engine(dir), data(&engine) {
        data.Init(channels, rate, GetSampleTypeInfo(kSampleTypeFloat32), &ranges);
        ranges.AddRecordEvent(0, RecordEventStart);
    }
    ~BenchRecording() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    static std::string MakeDir() {
        char pattern[] = "/tmp/bench-save-XXXXXX";
        return mkdtemp(pattern);
    }
};

class BenchHost : public IDsfWriterHost {
public:
    explicit BenchHost(RecordData* data) : m_data(data) {}
    RecordData* GetRecordData() override { return m_data; }
    uint32_t GetCancelMode() override { return 0; }
    void SetFileProgress(uint64_t, uint64_t) override {}
    void AddTotalDone(uint64_t) override {}
    TkError SaveCreateDirectory(const std::string&) override { return TkErrorSuccess; }
    bool CheckDiskSpace(const std::string&, uint64_t) override { return true; }
    bool CheckFileSystemFileSizeLimit(const std::string&, uint64_t) override { return true; }
    void NotifyFileSkipped(const std::string&) override {}

private:
    RecordData* m_data;
};
