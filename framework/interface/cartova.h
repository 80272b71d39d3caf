/*
 * Cartova: the recording framework's exported C interface.
 *
 * Every function works on the one engine of the process and returns a
 * TkError. Asynchronous events reach the caller through the delegate given to
 * Cartova_Init: the engine never calls a notification callback itself; it
 * hands a task to the delegate's post_to_main_queue callback, and the task,
 * when the caller runs it on its main thread, calls the notification.
 *
 * Strings are UTF-8. Lists and records handed out are copies owned by the
 * caller and released with the matching Cartova_Release* function.
 * Nothing throws across this interface.
 */
#ifndef CARTOVA_H
#define CARTOVA_H

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#if defined(CARTOVA_BUILDING_LIBRARY)
#define CARTOVA_API __attribute__((visibility("default")))
#else
#define CARTOVA_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result of every function. */
typedef int32_t TkError;
enum {
    TkErrorSuccess = 0,
    TkErrorNotInitialized = -1,
    TkErrorInvalidArgument = -2,
    TkErrorFailed = -3,
    TkErrorDeviceNotFound = -4,
    TkErrorAlreadyInitialized = -5,
    TkErrorInvalidState = -6,
    TkErrorNotSupported = -99,
    TkErrorCancelled = -100 /* inside the save thread only; never returned */
};

/* First argument of the operation notification. */
typedef int32_t TkRecOperation;
enum {
    TkRecOperationRecordingStarted = 0,
    TkRecOperationCaptureStarted = 1,
    TkRecOperationStopped = 2,
    TkRecOperationSaveFinished = 3
};

/* First argument of the error notification. */
typedef int32_t TkNotifyError;
enum {
    TkNotifyDeviceLost = 0,
    TkNotifyQueueOverflow = 1,
    TkNotifyRecordingLimit = 2,
    TkNotifySaveAborted = 3,
    TkNotifyFileSkipped = 4,
    TkNotifyTempFolderUnusable = 5,
    /* The recording could not be stored in the temporary folder and ends;
     * the message is the system's error number of the failed write or file
     * creation in decimal ("28" when the disk is full). A folder that has
     * gone is TkNotifyTempFolderUnusable instead. */
    TkNotifyStoreFailed = 6
};

/* Description of the selected device. */
typedef struct TkAudioDeviceInfo {
    char* device_name;
    int32_t vid;
    int32_t pid;
    uint16_t i_ch;
    uint16_t o_ch;
    uint16_t PCM_supported_bits; /* valid bits of the best integer PCM input format */
    uint16_t PCM_record_bits;    /* container bits of that format */
    uint32_t* PCM_supported_freq; /* ascending, Hz */
    size_t PCM_supported_freq_count;
    uint32_t* DSD_supported_freq; /* ascending, DSD bit rates in Hz */
    size_t DSD_supported_freq_count;
} TkAudioDeviceInfo;

/* Recording format. */
typedef struct TkRecordSetting {
    int32_t rec_type; /* 0 = PCM, 1 = DSD */
    uint64_t freq;    /* Hz; for DSD the DSD bit rate */
    uint16_t bits;    /* PCM: 16 to 32; DSD: 1 when read, not checked when set */
} TkRecordSetting;

/* One tag of a track. Every file format takes the keys "Title", "Alubum",
 * "Artist" and "AlbumArtist". FLAC files also take these (WAV and DSF files
 * ignore them):
 *   "TrackNumber"  the track's number in decimal digits, e.g. "2" (leading
 *                  zeros are dropped; written as TRACKNUMBER)
 *   "TrackTotal"   the album's number of tracks, e.g. "12" (TRACKTOTAL)
 *   "Date"         the recording's date, written as given (DATE); ISO 8601,
 *                  e.g. "2024-05-17", is what players expect
 *   "CoverImage"   path of a PNG or JPEG picture, stored as the front cover
 *                  (check it first with Cartova_CheckCoverImage)
 * Other keys are ignored; an empty value writes nothing. */
typedef struct TkTag {
    const char* key;
    const char* value;
} TkTag;

/* The file format of PCM tracks (Cartova_SetPcmFileFormat). */
typedef int32_t TkPcmFileFormat;
enum {
    TkPcmFileFormatWav = 0,
    TkPcmFileFormatFlac = 1
};

/* One track to write. */
typedef struct TkSaveSetting {
    const char* path; /* full path of the file, extension chosen by the caller */
    double start;     /* seconds from the start of the recording, pauses excluded */
    double end;       /* seconds */
    double gain;      /* dB */
    const TkTag* tags;
    size_t tag_count;
} TkSaveSetting;

/* One place where captured audio was lost (the recording thread or the
 * device could not keep up). position_seconds counts from the start of the
 * recorded stream, pauses excluded: the samples that follow it were captured
 * frames_lost samples after the ones before it. frames_lost counts samples of
 * one channel at the recording's rate (for DSD, one-bit samples). */
typedef struct TkDroppedAudio {
    double position_seconds;
    uint64_t frames_lost;
} TkDroppedAudio;

/* One planned pause: at at_seconds of recorded time, for length_seconds of
 * captured time. */
typedef struct TkPauseSpan {
    double at_seconds;
    double length_seconds;
} TkPauseSpan;

/* Names of the usable audio devices, in enumeration order. */
typedef struct TkDeviceNameList {
    char** names;
    size_t count;
} TkDeviceNameList;

/* USB identity of a connected device, read from its USB registry entry. */
typedef struct TkUsbDeviceDescription {
    char product_name[256]; /* "USB Product Name", UTF-8, empty when the entry has none */
    int32_t bcd_device;     /* "bcdDevice", the binary-coded release number; -1 when absent */
} TkUsbDeviceDescription;

/* How the track-gap analysis decides (Cartova_FindTrackGaps). */
typedef struct TkTrackGapSetting {
    double min_gap_seconds;     /* shortest quiet stretch between tracks; default 0.6 */
    double threshold_offset_db; /* added to the gap threshold above the groove noise; default 0 */
    double lead_seconds;        /* quiet kept before the next track's music; default 0.2 */
} TkTrackGapSetting;

/* Why a side has no tracks to suggest (Cartova_FindTracks). */
typedef int32_t TkSideProblem;
enum {
    TkSideProblemNone = 0,
    TkSideProblemTooShort = 1,     /* the recording is shorter than the minimum gap */
    TkSideProblemNoMusic = 2,      /* nothing on the groove is louder than its noise */
    TkSideProblemTooManyTracks = 3 /* fewer places between tracks than the count asks for */
};

/* The tracks found in the finished recording, seconds of the recorded stream. */
typedef struct TkTrackFinding {
    TkSideProblem problem;      /* with a problem count is 0 (the times too, but for too many tracks) */
    double needle_down_seconds; /* 0 when the recording starts with the needle down */
    double needle_up_seconds;   /* the recording's length when it ends with the needle down */
    double music_start_seconds; /* where the first track starts: lead_seconds before its music */
    double music_end_seconds;   /* where the last track ends: lead_seconds after its music */
    double* boundaries;         /* ascending, count entries: where each further track starts */
    double* strengths;          /* per boundary, 0 to 1: how gap-like its place is */
    size_t count;
    size_t places;              /* places between tracks a track count can choose from */
} TkTrackFinding;

/* Suggested track boundaries, seconds of the recorded stream, ascending. */
typedef struct TkTrackBoundaryList {
    double* seconds;
    size_t count;
} TkTrackBoundaryList;

/* How readily click repair takes a disturbance for damage. */
typedef int32_t TkClickSensitivity;
enum {
    TkClickSensitivityLow = 0,
    TkClickSensitivityNormal = 1,
    TkClickSensitivityHigh = 2
};

/* What a repaired place looked like: a click (up to about 1.5 ms), a pop
 * (longer), or a crackle tick (very short and weak). */
typedef int32_t TkClickKind;
enum {
    TkClickKindClick = 0,
    TkClickKindPop = 1,
    TkClickKindCrackle = 2
};

/* One damaged place. Positions count samples of one channel from the start
 * of the recorded stream (pauses excluded), at the list's sample_rate; for
 * a PCM recording a preview frame is a sample, so position is also a
 * preview frame. */
typedef struct TkClickPlace {
    uint64_t position;     /* first sample of the place */
    uint32_t length;       /* samples */
    uint32_t channel_mask; /* bit c set: channel c is damaged here */
    float strength_db;     /* how far the damage stands above the noise around it */
    TkClickKind kind;
    int32_t repaired;      /* 1: repaired; 0: left as recorded (too long to rebuild, too little
                              music around it, or its rebuild did not hold) */
    /* When repaired: for each channel of channel_mask in ascending order,
     * `length` samples that replace the recorded ones (full scale +-1.0;
     * where one channel was not damaged, its recorded samples). Else null. */
    const float* samples;
} TkClickPlace;

/* The places of one analysis, ascending and not overlapping. */
typedef struct TkClickPlaceList {
    TkClickPlace* places;
    size_t count;
    uint64_t sample_rate;
    uint16_t channels;
} TkClickPlaceList;

/* Where the click analysis of the recording stands (Cartova_FindClicksProgress). */
typedef int32_t TkClickAnalysisState;
enum {
    TkClickAnalysisNone = 0,      /* none since the recording was made, or cleared */
    TkClickAnalysisRunning = 1,
    TkClickAnalysisFinished = 2,  /* its places are ready (Cartova_GetClickPlaces) */
    TkClickAnalysisCancelled = 3, /* cancelled: no places */
    TkClickAnalysisFailed = 4     /* the recording could not be read: no places */
};

/* Samples for Cartova_RepairClicksInSamples, read through a callback:
 * planar channels of `frames` samples each at sample_rate (44100 to 384000
 * Hz). read copies samples [first, first + count) of channel into out as
 * floats (full scale +-1.0) and returns 0, or nonzero when it cannot; it is
 * called from several threads at once. */
typedef struct TkSampleSource {
    void* context;
    uint64_t sample_rate;
    uint16_t channels; /* 1 to 32 */
    uint64_t frames;
    int32_t (*read)(void* context, uint16_t channel, uint64_t first, size_t count, float* out);
} TkSampleSource;

/* A task the engine asks the caller to run on its main thread. */
typedef void (*TkMainQueueTask)(void* task_context);

/* The caller's delegate. Every callback is required. The notification
 * callbacks run only inside tasks that the caller runs on its main thread,
 * in the order the engine posted them. post_to_main_queue may be called from
 * any thread; it must queue the task and return without running it. */
typedef struct ICartovaDelegate {
    void* context;
    void (*NotifyOperationProc)(void* context, TkRecOperation operation);
    void (*NotifyStreamPosProc)(void* context, double seconds);
    void (*NotifyConvertPosProc)(void* context, double seconds);
    void (*NotifyErrorMessageProc)(void* context, TkNotifyError code, const char* message);
    void (*post_to_main_queue)(void* context, TkMainQueueTask task, void* task_context);
} ICartovaDelegate;

CARTOVA_API TkError Cartova_Init(const ICartovaDelegate* delegate);
CARTOVA_API TkError Cartova_New(void);

CARTOVA_API TkError Cartova_GetAudioDevices(TkDeviceNameList** list);
CARTOVA_API void Cartova_ReleaseAudioDevices(TkDeviceNameList* list);
/* For diagnosis: every audio device found, one line each, with whether it is
 * the turntable or why it was left out. Released with
 * Cartova_ReleaseAudioDeviceReport. */
CARTOVA_API TkError Cartova_GetAudioDeviceReport(char** report);
CARTOVA_API void Cartova_ReleaseAudioDeviceReport(char* report);
CARTOVA_API TkError Cartova_SetAudioDevice(const char* device_name);
CARTOVA_API TkError Cartova_GetAudioDeviceInfo(TkAudioDeviceInfo** info);
CARTOVA_API void Cartova_ReleaseAudioDeviceInfo(TkAudioDeviceInfo* info);
/* The first USB device with these vendor and product identifiers; -4 when there is
 * none. Needs no initialisation and no selected device. */
CARTOVA_API TkError Cartova_GetUsbDeviceDescription(int32_t vid, int32_t pid,
                                                    TkUsbDeviceDescription* description);

CARTOVA_API TkError Cartova_SetRecordSetting(const TkRecordSetting* setting);
CARTOVA_API TkError Cartova_GetRecordSetting(TkRecordSetting* setting);

CARTOVA_API TkError Cartova_StartPreRecording(void);
CARTOVA_API TkError Cartova_Start(void);
CARTOVA_API TkError Cartova_Stop(bool wait);
CARTOVA_API TkError Cartova_Pause(void);
CARTOVA_API TkError Cartova_Resume(void);
/* Plans the pauses of the recordings to come. The recording thread pauses
 * after the capture buffer that brings the recorded length to a pause's
 * at_seconds, and resumes after the buffer that completes its length of
 * captured time, so each pause is placed within one capture buffer however
 * fast the device runs. Each start follows the plan from its first pause; a
 * new call replaces it and a count of 0 clears it. Pause and Resume still
 * work in between. -2 for a null list with a count, a negative or
 * non-finite time, a length that is not positive, or times that do not
 * ascend. */
CARTOVA_API TkError Cartova_SetPauseSchedule(const TkPauseSpan* list, size_t count);
CARTOVA_API TkError Cartova_EnableLoopback(int8_t enable);
CARTOVA_API TkError Cartova_StartPlay(double position);

/* Copy preview frames [first, end) into buffer, interleaved signed 16-bit.
 * buffer_samples is the buffer's capacity in samples; it must hold
 * channels x (end - first), else -2 and nothing is copied. */
CARTOVA_API TkError Cartova_GetPreviewData(uint64_t first, uint64_t end, int16_t* buffer,
                                           size_t buffer_samples);
CARTOVA_API TkError Cartova_GetRecordingPreviewData(uint64_t first, uint64_t end, int16_t* buffer,
                                                    size_t buffer_samples);
CARTOVA_API TkError Cartova_GetPreviewDataLength(uint64_t* frames);
CARTOVA_API TkError Cartova_GetRecordingPreviewDataLength(uint64_t* frames);

/* Writes the tracks one after the other on the save thread. -2 for a null
 * list or a track with a null path, tag key or value or a non-finite gain;
 * with FLAC chosen also for a "TrackNumber" or "TrackTotal" that is not a
 * number from 1 up, or a "CoverImage" that Cartova_CheckCoverImage refuses
 * (nothing is written then). -1 before Cartova_Init; -3 while a save runs. */
CARTOVA_API TkError Cartova_SaveFile(const TkSaveSetting* list, size_t count);
CARTOVA_API TkError Cartova_SaveFileProgress(int32_t* file_progress, int32_t* total_progress);
CARTOVA_API TkError Cartova_SaveFileCancel(bool delete_partial);

/* Chooses the file format of PCM tracks for the Cartova_SaveFile calls that
 * follow: WAV (the default) or FLAC at compression_level 0 (fastest) to 8
 * (smallest); 5 is the usual level, and it is ignored for WAV. DSD
 * recordings are always written as DSF files. The caller names the files
 * (".wav" or ".flac").
 * A FLAC track holds exactly the samples of the WAV file of the same track,
 * gain and bit depth (the bits of Cartova_SetRecordSetting; 32 bits give
 * 32-bit FLAC, outside the streamable subset that 16 and 24 bits keep to),
 * with STREAMINFO and its MD5, the Vorbis comments of TkTag, a seek table
 * with a point every 10 seconds, the cover as a front-cover PICTURE and
 * 8192 bytes of PADDING. It is written under a temporary name in its folder
 * and takes its own name only when complete, so a failed or cancelled track
 * leaves nothing (and a file that had the name before stays as it was).
 * -2 for an unknown format or a level outside 0 to 8. May be called at any
 * time; a save already started keeps the format it was started with. */
CARTOVA_API TkError Cartova_SetPcmFileFormat(TkPcmFileFormat format, int32_t compression_level);

/* Checks the picture at path as the cover of FLAC tracks ("CoverImage"), so
 * that a picture that cannot be used is refused when the user picks it. 0
 * when it can be used, with *message null. Otherwise *message is a sentence
 * for the user that names the file and says what is wrong (released with
 * Cartova_ReleaseCoverImageProblem), and the result says which problem it
 * is: -2 not a PNG or JPEG picture; -99 too large: its PICTURE block would
 * exceed the 16,777,215 bytes of a FLAC metadata block (a file of more than
 * 16,777,174 bytes for PNG, 16,777,173 for JPEG); -3 the file cannot be read.
 * -2 with *message null when an argument is null. Needs no initialisation. */
CARTOVA_API TkError Cartova_CheckCoverImage(const char* path, char** message);
CARTOVA_API void Cartova_ReleaseCoverImageProblem(char* message);

/* The sample position the writers give a time of seconds at sample_rate:
 * floor(sample_rate x seconds), except that a time lying on a whole sample up
 * to floating-point error is that sample (0.7 s at 44100 Hz is 30870).
 * Negative and NaN times are 0. Callers that size or name tracks ahead of a
 * write use it so that their lengths match the files. */
CARTOVA_API uint64_t Cartova_SecondsToSamples(uint64_t sample_rate, double seconds);

CARTOVA_API TkError Cartova_SetTempDirectory(const char* path);

/* Deletes the framework's own leftover temporary files in folder (regular
 * files named as the framework names them; nothing else), as setting the
 * temporary folder does for the previous one. Callers that measure a
 * folder's free space first use it, so that they never repeat the naming
 * rule. null: -2; a folder that cannot be listed deletes nothing and is 0. */
CARTOVA_API TkError Cartova_DeleteTempLeftovers(const char* folder);

/* One-bit samples of a DSD recording per frame of its preview stream: the
 * preview (and the waveform) of a DSD recording runs at its bit rate
 * divided by this. */
#define CARTOVA_DSD_PREVIEW_DECIMATION 64

/* Every place where audio was lost in the current recording, in recorded
 * order; the list is emptied by each start. *list is null when *count is 0.
 * A recording with any entry has gaps. -2 when an argument is null. */
CARTOVA_API TkError Cartova_GetDroppedAudio(TkDroppedAudio** list, size_t* count);
CARTOVA_API void Cartova_ReleaseDroppedAudio(TkDroppedAudio* list);

/* Why the configured audio device is not available, as a sentence for the
 * user (for example: the simulated turntable was told to play a file it
 * cannot play), or null in *message when nothing is wrong. The device list
 * is then empty. -2 when message is null. */
CARTOVA_API TkError Cartova_GetDeviceProblem(char** message);
CARTOVA_API void Cartova_ReleaseDeviceProblem(char* message);
/* Finds the quiet gaps between the tracks of the finished recording and
 * returns a boundary inside each (the lead-in before the first track and the
 * run-out after the last are not gaps); the boundaries of Cartova_FindTracks
 * with a track count of 0. setting may be null for the defaults.
 * -6 while a recording runs; -2 for a negative or non-finite value or a
 * minimum gap of 0. The list is released with Cartova_ReleaseTrackGaps. */
CARTOVA_API TkError Cartova_FindTrackGaps(const TkTrackGapSetting* setting,
                                          TkTrackBoundaryList** list);
CARTOVA_API void Cartova_ReleaseTrackGaps(TkTrackBoundaryList* list);
/* Finds the tracks of the finished recording: where the needle dropped and
 * lifted, where the music starts and ends, and the boundaries between the
 * tracks with their strengths. track_count 0 decides by the gaps' depth and
 * length; N >= 1 asks for N tracks, the N - 1 most gap-like places. A
 * recording without music, one shorter than the minimum gap or a count
 * larger than the places available is no error: (*finding)->problem names
 * it and there are no boundaries. -6 while a recording runs; -2 for a null
 * finding or a setting Cartova_FindTrackGaps refuses. Released with
 * Cartova_ReleaseTrackFinding. */
CARTOVA_API TkError Cartova_FindTracks(const TkTrackGapSetting* setting, uint32_t track_count,
                                       TkTrackFinding** finding);
CARTOVA_API void Cartova_ReleaseTrackFinding(TkTrackFinding* finding);

/* ---- Click repair ----
 * Clicks, pops and crackle of the finished PCM recording are found by an
 * analysis that runs on threads of its own, and repaired by reconstructing
 * the damaged samples from the music around them. The recording in the
 * temporary files is never changed: the repair is laid over the samples on
 * the way out, when tracks are written (Cartova_SaveFile) and when the
 * preview is read for listening (Cartova_GetRepairedPreviewData), as far as
 * Cartova_SetClickRepair turns it on. The places stay until the next
 * analysis, Cartova_ClearClickPlaces, Cartova_New or the next recording.
 *
 * How an application uses it: Cartova_FindClicks(sensitivity); poll
 * Cartova_FindClicksProgress on a timer for the progress bar until the
 * state is no longer Running (Cartova_FindClicksCancel for Cancel); on
 * Finished, Cartova_GetClickPlaces for the marks and their count, and
 * Cartova_SetClickRepair(true, true) so that listening and writing use the
 * repair. Undo: Cartova_ClearClickPlaces (or Cartova_SetClickRepair(false,
 * false) to keep the places). */

/* Starts the analysis of the finished recording and returns at once.
 * -6 while a recording runs or when nothing is recorded; -99 for a DSD
 * recording (its bits are not edited); -2 for an unknown sensitivity; -3
 * while an analysis runs. The places of an earlier analysis are dropped. */
CARTOVA_API TkError Cartova_FindClicks(TkClickSensitivity sensitivity);
/* The analysis's progress in thousandths and its state. -2 for a null
 * argument. */
CARTOVA_API TkError Cartova_FindClicksProgress(int32_t* progress, TkClickAnalysisState* state);
/* Asks a running analysis to stop; it ends soon after as Cancelled. */
CARTOVA_API TkError Cartova_FindClicksCancel(void);
/* The places of the finished analysis (an empty list when there are none).
 * Released with Cartova_ReleaseClickPlaces. -2 for a null argument. */
CARTOVA_API TkError Cartova_GetClickPlaces(TkClickPlaceList** list);
CARTOVA_API void Cartova_ReleaseClickPlaces(TkClickPlaceList* list);
/* Whether the repair is laid over the preview read for listening and over
 * the tracks written. Both are off until set. A save takes the setting and
 * the places when it starts. */
CARTOVA_API TkError Cartova_SetClickRepair(bool on_preview, bool on_save);
/* Stops an analysis that runs and forgets the places. */
CARTOVA_API TkError Cartova_ClearClickPlaces(void);
/* Cartova_GetPreviewData with the repaired samples (converted to 16 bits
 * like the preview) in place of the damaged ones, when the repair is on for
 * the preview; else the same as Cartova_GetPreviewData. The waveform keeps
 * reading Cartova_GetPreviewData (the recording as it is). */
CARTOVA_API TkError Cartova_GetRepairedPreviewData(uint64_t first, uint64_t end, int16_t* buffer,
                                                   size_t buffer_samples);

/* Finds and repairs the clicks of samples read through source (a file,
 * for instance), using every core, and returns the places with their
 * repaired samples. Needs no initialisation. -2 for a null or invalid
 * source or an unknown sensitivity; -3 when a read fails. A recording
 * shorter than one analysis block (20 ms) gives no places. */
CARTOVA_API TkError Cartova_RepairClicksInSamples(const TkSampleSource* source, TkClickSensitivity sensitivity,
                                                  TkClickPlaceList** list);

/* ---- Recovery ----
 * While a recording is made, its temporary files are synced to disk and a
 * journal beside them ("cartova-<id>.journal" in the temporary folder) says
 * what they hold, about once a second. A program that dies before every
 * track is written (a crash, a kill, a power cut) leaves the recording
 * there; the next run lists it and opens it as the current recording, or
 * discards it. The journal goes once every track of a Write to Files run is
 * written; the files go when the recording is closed (Cartova_New, a new
 * recording). A recording still open when the process ends stays
 * recoverable. */
typedef int32_t TkRecoverableState;
enum {
    TkRecoverableReady = 0,   /* can be opened */
    TkRecoverableInUse = 1,   /* another running program holds it */
    TkRecoverableDamaged = 2, /* its journal is torn: not trusted */
    TkRecoverableNewer = 3,   /* its journal is of a newer version, or not ours: left alone */
};

typedef struct TkRecoverable {
    char* id;              /* names it to Open and Discard */
    int64_t started;       /* when the recording started, seconds since 1970 (UTC) */
    int32_t rec_type;      /* 0 PCM, 1 DSD */
    uint64_t freq;         /* Hz (the DSD bit rate for DSD) */
    uint16_t channels;
    uint16_t bits;         /* bits of the PCM track files chosen for it; 1 for DSD */
    double seconds;        /* recorded time its files still hold (pauses left out) */
    char* folder;          /* the temporary folder */
    TkRecoverableState state;
    char* missing;         /* what the journal names that is gone, in words; "" when nothing */
} TkRecoverable;

typedef struct TkRecoverableList {
    TkRecoverable* items; /* newest first */
    size_t count;
} TkRecoverableList;

/* The recoverable recordings of folder (null: the temporary folder), the
 * engine's own current recording left out. Needs Cartova_Init, no device. */
CARTOVA_API TkError Cartova_GetRecoverableRecordings(const char* folder, TkRecoverableList** list);
CARTOVA_API void Cartova_ReleaseRecoverableRecordings(TkRecoverableList* list);
/* Opens recording id of the temporary folder as the current recording (the
 * previous one is closed as by Cartova_New): its samples stay where they are,
 * its preview is rebuilt in the background and TkRecOperationStopped says
 * when it is complete; then preview, track gaps, clicks and Cartova_SaveFile
 * work on it as on a recording just made. -2 no such recording; -6 while a
 * recording runs or a save is running, or another program holds it; -99 a
 * journal of a newer version or not ours; -3 a torn journal, or nothing of
 * the recording is left. */
CARTOVA_API TkError Cartova_OpenRecoverableRecording(const char* id);
/* Deletes recording id of folder (null: the temporary folder): its files and
 * its journal. Same errors as Cartova_OpenRecoverableRecording. */
CARTOVA_API TkError Cartova_DiscardRecoverableRecording(const char* folder, const char* id);
/* Keeps the user's track markers (seconds of the recording) and names (the
 * album first, then the track titles) in the current recording's journal.
 * -6 without a journal. */
CARTOVA_API TkError Cartova_SetRecordingNotes(const double* markers, size_t marker_count, const char* const* names,
                                              size_t name_count);

typedef struct TkRecordingNotes {
    double* markers; /* seconds of the recording, as given */
    size_t marker_count;
    char** names;    /* the album first, then the track titles */
    size_t name_count;
} TkRecordingNotes;

/* The notes kept in the current recording's journal: after
 * Cartova_OpenRecoverableRecording, those typed before the program died.
 * -6 without a journal. Released with Cartova_ReleaseRecordingNotes. */
CARTOVA_API TkError Cartova_GetRecordingNotes(TkRecordingNotes** notes);
CARTOVA_API void Cartova_ReleaseRecordingNotes(TkRecordingNotes* notes);

#ifdef __cplusplus
}
#endif

#endif /* CARTOVA_H */
