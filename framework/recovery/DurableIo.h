// The system calls that make a recording durable, behind one seam so that
// tests can fail any of them or simulate a power cut. Every call keeps errno
// as the system left it.
//
// The power cut (a fault for tests, chosen with CARTOVA_FAULT_POWER_CUT=
// SECONDS of recorded time): when it is due, every file written through the
// seam is cut back to what its last sync made durable (what a real power
// cut leaves of unsynced data) and the process is killed with SIGKILL, so
// nothing is written after that moment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

class DurableIo {
public:
    virtual ~DurableIo() = default;
    virtual ssize_t WriteAt(int fd, const void* bytes, size_t count, off_t offset);
    virtual ssize_t Write(int fd, const void* bytes, size_t count);
    // fdatasync: the file's data and size reach the disk.
    virtual int SyncData(int fd);
    // fsync: also its metadata (used for journals).
    virtual int Sync(int fd);
    virtual int Rename(const char* from, const char* to);
    // Opens folder and fsyncs it, so a rename or unlink in it is durable.
    virtual int SyncFolder(const std::string& folder);
};

// The process's seam: the real calls, or the power-cut fault when the
// environment asks for it. Tests may replace it (null restores the default).
DurableIo& CurrentDurableIo();
void SetDurableIo(DurableIo* io);

// Called by the recording thread with the recorded time; cuts the power when
// the fault is armed and its moment has come. Does nothing otherwise.
void PowerCutCheck(double recordedSeconds);
