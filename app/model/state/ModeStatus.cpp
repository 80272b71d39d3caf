// Status-to-flags table of the control manager.
#include "state/ModeStatus.h"

ModeFlags FlagsForStatus(uint32_t status)
{
    ModeFlags f;
    switch (status) {
    case ModeStatusReady:
        break;
    case ModeStatusPreRecording:
    case ModeStatusStartRequested:
        f.wait = true;
        break;
    case ModeStatusRecording:
        f.run = true;
        break;
    case ModeStatusRecordPaused:
        f.pause = true;
        break;
    case ModeStatusStopping:
        f.run = true;
        f.wait = true;
        break;
    case ModeStatusEditStopped:
        f.edit = true;
        f.pause = true;
        break;
    case ModeStatusEditPlaying:
        f.edit = true;
        f.run = true;
        break;
    default:
        break;
    }
    return f;
}
