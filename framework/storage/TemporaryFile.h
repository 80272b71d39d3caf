// One temporary file in the temporary folder holding a contiguous stretch
// [start, end) of a recorded stream. Owned by one TemporaryData, which
// serialises its writers; Write puts bytes beyond the logical end, where no
// reader looks, so its owner may run it while readers read below the end,
// and moves the end afterwards (Advance) under the lock its readers take.
// Moving transfers the file; the object that holds it when destroyed or
// released closes and deletes it.
//
// Writes and reads are positional (pwrite/pread at offset position - start),
// so a read never disturbs where the next append goes, and a failed or
// partial append is simply overwritten by the next attempt: the logical end
// only advances once a whole append has reached the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

#include "interface/cartova.h"

class IToolkitManager;

class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&& other) noexcept;

    // Releases what the object held, then creates a new file in the engine's
    // temporary folder covering the empty stretch [start, start).
    // -3 when there is no engine, the folder does not exist or the file cannot be created.
    TkError Init(IToolkitManager* engine, uint64_t start);

    // Takes over an existing file of a recording (after a crash) holding
    // [start, start + length). -3 with errno when it cannot be opened.
    TkError Adopt(const std::string& path, uint64_t start, uint64_t length);

    // Appends count bytes at the logical end. -3 without a file or when the
    // write does not complete (the end is then unchanged).
    TkError Add(const uint8_t* bytes, size_t count);
    // The two halves of Add: writes count bytes at the logical end without
    // moving it (same errors), then moves the end past bytes so written.
    TkError Write(const uint8_t* bytes, size_t count) { return WriteBeyond(0, bytes, count); }
    void Advance(size_t count) { m_end += count; }
    // Writes count bytes at `skip` bytes past the logical end, without moving it.
    TkError WriteBeyond(uint64_t skip, const uint8_t* bytes, size_t count);
    // fdatasync through the durability seam: -3 with errno when it fails.
    TkError SyncData();

    // Reads stream positions [from, to) into out (room for to - from bytes).
    // -2 unless start <= from < to <= end; -3 when the read does not complete.
    TkError GetData(uint64_t from, uint64_t to, uint8_t* out) const;

    // Copies both positions; true when a file is open.
    bool GetRange(uint64_t& start, uint64_t& end) const;
    uint64_t GetStart() const { return m_start; }
    uint64_t GetEnd() const { return m_end; }
    uint64_t GetLength() const { return m_end - m_start; }
    const std::string& GetPath() const { return m_path; }

    // Closes and deletes the file if one is open; clears every field.
    void Release();
    // Closes the file and leaves it on disk (a journal names it); clears every field.
    void Keep();

    // Creates a unique file from directory + "/tmpXXXXXX" with mkstemp and
    // stores its path. Returns the open descriptor, or -1 on failure.
    static int CreateTemporaryFile(std::string& path, const std::string& directory);

private:
    void MoveFrom(TemporaryFile& other) noexcept;

    std::string m_path;
    int m_fd = -1;
    uint64_t m_start = 0;
    uint64_t m_end = 0;
    // Identity of the created file, so that Release never deletes a different
    // file that later took the same name (after the folder was recreated).
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

// Ordering for the position lookup: a file ranks before position p when its end <= p.
struct TemporaryFileCmp {
    bool operator()(const TemporaryFile& file, uint64_t position) const { return file.GetEnd() <= position; }
};
