// A scratch folder in the system's temporary directory for tests whose
// framework engine lives as long as the process: made on first use and
// removed, with whatever is left in it, when the process ends.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

class ScratchFolderAtExit {
public:
    // pattern: a folder name ending in XXXXXX.
    explicit ScratchFolderAtExit(const char* pattern)
    {
        std::string path = (std::filesystem::temp_directory_path() / pattern).string();
        if (mkdtemp(path.data()) != nullptr)
            m_path = path;
    }
    ~ScratchFolderAtExit()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolderAtExit(const ScratchFolderAtExit&) = delete;
    ScratchFolderAtExit& operator=(const ScratchFolderAtExit&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
