// The writer host the save benchmarks run the writers against (with a
// FolderEngine): never cancelled, every volume check passed.
#pragma once

#include "save/SaveDsfFile.h"
#include "storage/RecordData.h"
#include "support/FolderEngine.h"

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
