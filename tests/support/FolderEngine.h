// The engine as the storage and the track writers see it in tests and
// benchmarks: it supplies a temporary folder (present while the folder
// exists on disk) and ignores every notification.
#pragma once

#include "engine/IToolkitManager.h"

#include <filesystem>
#include <string>
#include <utility>

class FolderEngine : public IToolkitManager {
public:
    explicit FolderEngine(std::string folder) : m_folder(std::move(folder)) {}
    void ConvertThread_AddDataNotify() override {}
    void NotifyOperationProc(TkRecOperation) override {}
    void NotifyStreamPosProc(double) override {}
    void NotifyConvertPosProc(double) override {}
    void NotifyErrorMessageProc(int, const char*) override {}
    const char* GetTempDirectory() override { return m_folder.c_str(); }
    bool IsTempDirectoryExists() override { return std::filesystem::is_directory(m_folder); }

private:
    std::string m_folder;
};
