// Writes one track of a PCM recording as a WAV file: the samples of
// [start, end) of every channel's recorded stream (cut at the recorded
// length), multiplied by the track's gain in single precision, converted to
// 16, 24 or 32-bit integers, interleaved, behind a 44-byte header with final
// sizes, followed by the tag block.
#pragma once

#include "interface/cartova.h"
#include "save/SaveDsfFile.h"
#include "save/TkSaveSettingInternal.h"

#include "save/PendingTrackFile.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// host supplies the record data, progress, cancel mode and volume checks
// (the save thread, or a stand-in in tests); bits is the output depth.
// 0: written, or skipped (too large for RIFF or for the file system, or the
//    file cannot be created; TkNotifyFileSkipped sent, its frames counted).
// -2: null job or end before start.
// -3: no record data or sample type, bit depth not 16/24/32, no room on the
//    volume, read or write error. The error of directory creation.
// -100: cancelled with deletion while writing (the partial file is left for
//    the caller to delete).
TkError SaveWavFile(IDsfWriterHost& host, const TkSaveSettingInternal* job, uint16_t bits);

// The checks made before a track file is opened: directory creation, disk
// space and file-system limit for fileBytes. Returns the error that stops
// the run, or 0; with 0 and fits false the job was skipped (notified, its
// samples counted as done).
TkError CheckTrackDestination(IDsfWriterHost& host, const std::string& path, uint64_t fileBytes,
                              uint64_t jobSamples, bool& fits);

// Skips a job: TkNotifyFileSkipped with path, and its samples counted as done.
void SkipTrack(IDsfWriterHost& host, const std::string& path, uint64_t jobSamples);

// The checks made before a track file is opened, and the opening: directory
// creation, disk space and file-system limit for fileBytes, then the file
// under a temporary name beside path (see PendingTrackFile), committed by
// the caller once complete. Returns the error that stops the run, or 0;
// with 0 and no open file the job was skipped (notified, its samples
// counted as done).
TkError OpenTrackFile(IDsfWriterHost& host, const std::string& path, uint64_t fileBytes,
                      uint64_t jobSamples, PendingTrackFile& file);
