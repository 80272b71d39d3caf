/* Compiled as C: the exported header is usable from C, and the calls made
 * before Cartova_Init are answered as documented (-1, pointer checks -2
 * first, the unconditional calls). Then a null delegate (-2, still
 * uninitialised), Cartova_Init and a second Cartova_Init (-5). Exits with
 * the number of failed checks. */
#include "cartova.h"

#include <stdio.h>

static int failures = 0;

#define CHECK(expr, expected)                                                          \
    do {                                                                               \
        TkError got_ = (expr);                                                         \
        if (got_ != (expected)) {                                                      \
            fprintf(stderr, "%s:%d: %s gave %d, expected %d\n", __FILE__, __LINE__,    \
                    #expr, (int)got_, (int)(expected));                                \
            ++failures;                                                                \
        }                                                                              \
    } while (0)

static void on_operation(void* context, TkRecOperation operation) { (void)context; (void)operation; }
static void on_stream(void* context, double seconds) { (void)context; (void)seconds; }
static void on_convert(void* context, double seconds) { (void)context; (void)seconds; }
static void on_error(void* context, TkNotifyError code, const char* message)
{
    (void)context;
    (void)code;
    (void)message;
}
/* Tasks are dropped: this program never runs a main queue. The engine hands
 * ownership of the task context to the task, so these are small leaks at most. */
static void on_post(void* context, TkMainQueueTask task, void* task_context)
{
    (void)context;
    (void)task;
    (void)task_context;
}

int main(void)
{
    TkDeviceNameList* names = (TkDeviceNameList*)&failures; /* must become null */
    TkAudioDeviceInfo* info = NULL;
    TkRecordSetting setting = {0, 44100, 24};
    TkSaveSetting track = {"/tmp/c-check.wav", 0.0, 1.0, 0.0, NULL, 0};
    int16_t buffer[4];
    TkTrackBoundaryList* gaps = NULL;
    uint64_t frames = 0;
    int32_t file_progress = 0, total_progress = 0;
    TkDroppedAudio* dropped = NULL;
    size_t gap_count = 0;
    char* problem = NULL;
    ICartovaDelegate delegate = {NULL, on_operation, on_stream, on_convert, on_error, on_post};

    CHECK(Cartova_GetAudioDevices(&names), TkErrorNotInitialized);
    if (names != NULL) {
        fprintf(stderr, "device list not cleared before init\n");
        ++failures;
    }
    CHECK(Cartova_New(), TkErrorNotInitialized);
    CHECK(Cartova_SetAudioDevice("QT-LV200"), TkErrorNotInitialized);
    CHECK(Cartova_GetAudioDeviceInfo(&info), TkErrorNotInitialized);
    CHECK(Cartova_SetRecordSetting(&setting), TkErrorNotInitialized);
    CHECK(Cartova_GetRecordSetting(&setting), TkErrorNotInitialized);
    CHECK(Cartova_StartPreRecording(), TkErrorNotInitialized);
    CHECK(Cartova_Start(), TkErrorNotInitialized);
    CHECK(Cartova_Stop(true), TkErrorNotInitialized);
    CHECK(Cartova_Pause(), TkErrorNotInitialized);
    CHECK(Cartova_Resume(), TkErrorNotInitialized);
    CHECK(Cartova_SetPauseSchedule(NULL, 0), TkErrorNotInitialized);
    CHECK(Cartova_GetPreviewData(0, 1, buffer, 4), TkErrorNotInitialized);
    CHECK(Cartova_GetRecordingPreviewData(0, 1, buffer, 4), TkErrorNotInitialized);
    CHECK(Cartova_GetPreviewDataLength(&frames), TkErrorNotInitialized);
    CHECK(Cartova_GetRecordingPreviewDataLength(&frames), TkErrorNotInitialized);
    CHECK(Cartova_SaveFile(&track, 1), TkErrorNotInitialized);
    CHECK(Cartova_FindTrackGaps(NULL, &gaps), TkErrorNotInitialized);
    CHECK(Cartova_SaveFileProgress(&file_progress, &total_progress), TkErrorNotInitialized);
    CHECK(Cartova_SetTempDirectory("/tmp"), TkErrorNotInitialized);
    CHECK(Cartova_GetDroppedAudio(&dropped, &gap_count), TkErrorNotInitialized);
    CHECK(Cartova_GetDroppedAudio(NULL, &gap_count), TkErrorInvalidArgument);
    Cartova_ReleaseDroppedAudio(NULL);
    CHECK(Cartova_GetDeviceProblem(&problem), TkErrorNotInitialized);
    CHECK(Cartova_GetDeviceProblem(NULL), TkErrorInvalidArgument);
    Cartova_ReleaseDeviceProblem(NULL);
    CHECK(Cartova_EnableLoopback(1), TkErrorNotSupported);
    CHECK(Cartova_StartPlay(0.0), TkErrorNotSupported);
    CHECK(Cartova_SaveFileCancel(true), TkErrorSuccess);
    if (Cartova_SecondsToSamples(44100, 0.7) != 30870u) {
        fprintf(stderr, "%s:%d: 0.7 s at 44100 Hz is not sample 30870\n", __FILE__, __LINE__);
        ++failures;
    }

    CHECK(Cartova_GetAudioDevices(NULL), TkErrorInvalidArgument);
    CHECK(Cartova_GetAudioDeviceInfo(NULL), TkErrorInvalidArgument);
    CHECK(Cartova_SetAudioDevice(NULL), TkErrorInvalidArgument);
    CHECK(Cartova_SetRecordSetting(NULL), TkErrorInvalidArgument);
    CHECK(Cartova_GetRecordSetting(NULL), TkErrorInvalidArgument);
    CHECK(Cartova_GetPreviewData(0, 1, NULL, 4), TkErrorInvalidArgument);
    CHECK(Cartova_GetRecordingPreviewDataLength(NULL), TkErrorInvalidArgument);
    CHECK(Cartova_SaveFile(NULL, 0), TkErrorInvalidArgument);
    CHECK(Cartova_SaveFileProgress(NULL, &total_progress), TkErrorInvalidArgument);
    CHECK(Cartova_SetTempDirectory(NULL), TkErrorInvalidArgument);
    setting.bits = 15;
    CHECK(Cartova_SetRecordSetting(&setting), TkErrorInvalidArgument);

    CHECK(Cartova_Init(NULL), TkErrorInvalidArgument);
    CHECK(Cartova_New(), TkErrorNotInitialized); /* still uninitialised */
    CHECK(Cartova_Init(&delegate), TkErrorSuccess);
    CHECK(Cartova_Init(&delegate), TkErrorAlreadyInitialized);
    CHECK(Cartova_New(), TkErrorSuccess);
    CHECK(Cartova_GetDroppedAudio(&dropped, &gap_count), TkErrorSuccess);
    CHECK((TkError)(gap_count == 0 && dropped == NULL), 1);
    CHECK(Cartova_GetDeviceProblem(&problem), TkErrorSuccess);
    Cartova_ReleaseDeviceProblem(problem);
    CHECK(Cartova_SetPauseSchedule(NULL, 1), TkErrorInvalidArgument);
    CHECK(Cartova_SetPauseSchedule(NULL, 0), TkErrorSuccess);
    CHECK(Cartova_GetAudioDeviceInfo(&info), TkErrorInvalidState);

    Cartova_ReleaseAudioDevices(NULL); /* releasing nothing is allowed */
    Cartova_ReleaseAudioDeviceInfo(NULL);
    if (failures == 0) {
        printf("all checks passed\n");
    }
    return failures;
}
