// POSIX implementations of the Windows-style file and directory helpers.
#include "platform/FileHelpers.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr int kInvalidArgument = 22; // EINVAL
constexpr int kRangeError = 34;      // ERANGE

// lstat of path; false when it does not exist or cannot be examined.
bool StatPath(const char* path, struct stat* info)
{
    return path != nullptr && lstat(path, info) == 0;
}

} // namespace

int memcpy_s(void* dest, size_t destSize, const void* src, size_t count)
{
    if (count == 0) {
        return 0;
    }
    if (dest == nullptr || src == nullptr) {
        return kInvalidArgument;
    }
    if (destSize < count) {
        return kRangeError;
    }
    std::memcpy(dest, src, count);
    return 0;
}

int _tfopen_s(FILE** file, const char* path, const char* mode)
{
    if (file == nullptr) {
        return kInvalidArgument;
    }
    *file = nullptr;
    if (path == nullptr || mode == nullptr) {
        return kInvalidArgument;
    }
    errno = 0;
    *file = std::fopen(path, mode);
    if (*file == nullptr) {
        return errno != 0 ? errno : kInvalidArgument;
    }
    return 0;
}

size_t fread_s(void* buffer, size_t bufferSize, size_t elementSize, size_t count, FILE* stream)
{
    if (buffer == nullptr || stream == nullptr || elementSize == 0 || count == 0) {
        return 0;
    }
    if (bufferSize / elementSize < count) {
        return 0;
    }
    return std::fread(buffer, elementSize, count, stream);
}

bool CreateDirectory(const char* path, void* /*securityAttributes*/)
{
    if (path == nullptr) {
        return false;
    }
    return mkdir(path, 0775) == 0;
}

bool PathIsDirectory(const char* path)
{
    struct stat info {};
    return path != nullptr && stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool PathIsDirectoryEmpty(const char* path)
{
    if (path == nullptr) {
        return true;
    }
    DIR* dir = opendir(path);
    if (dir == nullptr) {
        return true;
    }
    bool empty = true;
    while (const dirent* entry = readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            empty = false;
            break;
        }
    }
    closedir(dir);
    return empty;
}

bool DeleteFile(const char* path)
{
    struct stat info {};
    if (!StatPath(path, &info) || S_ISDIR(info.st_mode)) {
        return false;
    }
    return unlink(path) == 0;
}

bool RemoveDirectory(const char* path)
{
    // lstat: a symbolic link to a directory is not a directory here, so the
    // removal never follows a link out of the tree it was asked to delete.
    struct stat info {};
    if (!StatPath(path, &info) || !S_ISDIR(info.st_mode)) {
        return false;
    }
    std::error_code error;
    std::filesystem::remove_all(path, error);
    return !error;
}
