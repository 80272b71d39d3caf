// The engine and writer host the save benchmarks run the writers against: a
// temporary folder, no notifications, never cancelled, every volume check passed.
#pragma once

#include "engine/IToolkitManager.h"
#include "save/SaveDsfFile.h"
#include "storage/RecordData.h"

#include <string>
#include <utility>

class BenchEngine : public IToolkitManager {
public:
    explicit BenchEngine(std::string dir) : m_dir(std::move(dir)) {}
    void ConvertThread_AddDataNotify() override {}
    void NotifyOperationProc(TkRecOperation) override {}
    void NotifyStreamPosProc(double) override {}
    void NotifyConvertPosProc(double) override {}
    void NotifyErrorMessageProc(int, const char*) override {}
    const char* GetTempDirectory() override { return m_dir.c_str(); }
    bool IsTempDirectoryExists() override { return true; }

private:
    std::string m_dir;
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
