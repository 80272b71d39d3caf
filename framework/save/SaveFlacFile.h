// Writes one track of a PCM recording as a FLAC file: the samples the WAV
// writer would write for the same job and depth (PcmBlockSource), encoded by
// libFLAC at the job's compression level, in the streamable subset for 16
// and 24 bits (32-bit samples are beyond the subset), with STREAMINFO and
// its MD5, the blocks of FlacMetadata.h and the frames. The file is written
// under a temporary name in its folder and renamed when it is complete.
#pragma once

#include "save/SaveDsfFile.h"
#include "save/TkSaveSettingInternal.h"

#include <cstdint>

// host and results as for SaveWavFile:
// 0: written, or skipped (too large for the file system, or the file cannot
//    be created; TkNotifyFileSkipped sent, its frames counted).
// -2: null job or end before start.
// -3: no record data or sample type, bit depth not 16/24/32, more than 8
//    channels, no room on the volume, read, encoding or write error. The
//    error of directory creation.
// -100: cancelled with deletion while writing.
// Whenever no complete file results, the temporary file is removed: nothing
// appears under the job's path, and a file already there stays as it was.
TkError SaveFlacFile(IDsfWriterHost& host, const TkSaveSettingInternal* job, uint16_t bits);
