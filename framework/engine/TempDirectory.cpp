// Temporary folder setting and clean-up of leftover temporary files.
#include "engine/TempDirectory.h"

#include "platform/FileHelpers.h"
#include "platform/Trace.h"
#include "recovery/RecoveryCatalog.h"

#include <filesystem>
#include <system_error>

bool IsFrameworkTempFileName(const std::string& name)
{
    if (name.size() != 9 || name.compare(0, 3, "tmp") != 0) {
        return false;
    }
    for (size_t i = 3; i < name.size(); ++i) {
        const char c = name[i];
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit) {
            return false;
        }
    }
    return true;
}

size_t DeleteFrameworkTempFiles(const std::string& folder)
{
    namespace fs = std::filesystem;
    size_t deleted = 0;
    bool keepAll = false;
    const std::set<std::string> journalled = JournalledTempFileNames(folder, keepAll);
    if (keepAll) {
        return 0;
    }
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) {
        return 0;
    }
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error) {
            break;
        }
        const fs::directory_entry& entry = *it;
        const std::string name = entry.path().filename().string();
        if (!IsFrameworkTempFileName(name) || journalled.count(name) != 0) {
            continue;
        }
        // symlink_status: a link with such a name is not one of our files.
        std::error_code statusError;
        if (!fs::is_regular_file(entry.symlink_status(statusError)) || statusError) {
            continue;
        }
        std::error_code removeError;
        if (fs::remove(entry.path(), removeError)) {
            ++deleted;
        } else if (removeError) {
            TRACE("cannot delete %s: %s", entry.path().c_str(), removeError.message().c_str());
        }
    }
    return deleted;
}

TkError TempDirectory::Set(const char* path)
{
    if (path == nullptr) {
        return TkErrorInvalidArgument;
    }
    const std::string newPath(path);
    std::lock_guard<std::mutex> guard(m_lock);
    if (!PathIsDirectory(path)) {
        if (!m_set) {
            Remember(newPath);
        }
        return TkErrorInvalidArgument;
    }
    if (!m_set) {
        Remember(newPath);
    }
    const std::string& previous = m_paths.back();
    if (PathIsDirectory(previous.c_str())) {
        DeleteFrameworkTempFiles(previous);
    }
    Remember(newPath);
    return TkErrorSuccess;
}

const char* TempDirectory::Get()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_paths.back().c_str();
}

bool TempDirectory::Exists()
{
    std::string current;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        current = m_paths.back();
    }
    return PathIsDirectory(current.c_str());
}

void TempDirectory::Remember(const std::string& path)
{
    m_set = true;
    if (m_paths.back() != path) {
        m_paths.push_back(path);
    }
}
