// Named values shared by the control logic and the managers it drives.
#pragma once

#include <cstdint>

// Recording type of the settings (SettingManager::GetRecType).
enum RecType : int32_t { RecTypePcm = 0, RecTypeDsd = 1 };

// Result of an update check (UpdateChecker::checkUpdate).
enum UpdateCheckResult : int {
    UpdateCheckDownloaded = 0, // a newer version was offered and its package downloaded
    UpdateCheckUpToDate = 1,
    UpdateCheckDeclined = 2, // a newer version was offered and the user cancelled
    UpdateCheckFailed = 3,   // no usable version file
};

// Modal response of the write-to-files dialog that starts writing.
inline constexpr int kSaveDialogResponseWrite = 1;

// Who issued a command. It decides the kind of stop of "Recording Complete" and whether
// removing a marker asks first (the waveform view's delete key does not).
enum class CommandSender { User, WaveView, AppDelegate, RecordManager };

// How a recording is stopped: in the background (the framework reports the stop and the
// recording ends in the edit mode), or at once (quitting, closing the window).
enum class StopKind { Background, Immediate };

inline StopKind StopKindFor(CommandSender sender)
{
    return sender == CommandSender::AppDelegate ? StopKind::Immediate : StopKind::Background;
}
