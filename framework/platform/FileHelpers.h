// File and directory helpers with the names and result conventions of the
// familiar Windows functions, implemented on POSIX. The rest of the framework
// is written against them, so their results are exactly those documented here.
#pragma once

#include <cstddef>
#include <cstdio>

// Copies count bytes. count 0: 0; null dest or src: 22 (EINVAL);
// destSize below count: 34 (ERANGE) and nothing is copied; else 0.
int memcpy_s(void* dest, size_t destSize, const void* src, size_t count);

// Opens path with fopen. Null file: 22. Stores the handle (null on failure)
// and returns 0 or the errno of the failed open.
int _tfopen_s(FILE** file, const char* path, const char* mode);

// Reads count elements. Returns 0 without reading when buffer or stream is
// null, elementSize or count is 0, or bufferSize / elementSize < count;
// else the number of elements read.
size_t fread_s(void* buffer, size_t bufferSize, size_t elementSize, size_t count, FILE* stream);

// Creates one directory with mode 0775. The attributes are ignored.
bool CreateDirectory(const char* path, void* securityAttributes);

// True only when path exists and is a directory.
bool PathIsDirectory(const char* path);

// True when listing the directory yields no entries; a failed listing counts as empty.
bool PathIsDirectoryEmpty(const char* path);

// True when path exists, is not a directory, and was removed.
bool DeleteFile(const char* path);

// True when path exists, is a directory, and was removed with its contents.
bool RemoveDirectory(const char* path);
