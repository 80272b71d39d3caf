// The numbers of a recording: the recording-time limit, the estimate of how long a
// recording fits in the free space, the start dialog built from it, the automatic gain and
// the report of lost audio.
#pragma once

#include "state/ControlTypes.h"
#include "control/DialogService.h"

#include <QString>
#include <cstdint>
#include <vector>

struct TkDroppedAudio;

// Recorded length (stream position, seconds) at or beyond which the recording is completed.
inline constexpr double kRecordingTimeLimit = 5999.9;
// The start dialog shows its estimate only below this many minutes.
inline constexpr double kMaxTimeDisplayThreshold = 100.0;
// -1 dB full scale as a linear sample value: the automatic gain lifts the peak to it.
inline constexpr double kAutoGainReferenceLevel = 0.8912509381337456;
inline constexpr double kAutoGainCeiling = 6.0;
// Display amplification of DSD (the DSD preview's full scale lies at 60 % of 16-bit full scale).
inline constexpr double kDsdWaveAmplification = 1.6666666666666667;
inline constexpr float kDsdLevelMeterAmplification = 1.6666666f;
// Level meter hold times, seconds: none while recording, 3 when paused or stopped.
inline constexpr int32_t kLevelHoldRecording = -1;
inline constexpr int32_t kLevelHoldStopped = 3;

// The alert that starts the recording, for an estimate of maxMinutes and the temporary folder.
AlertRequest StartRecordingAlert(double maxMinutes, const QString& temporaryFolder);
// Index of "Start Recording" among the start alert's buttons.
inline constexpr int kStartRecordingButton = 0;

// Gain in dB that lifts peak (linear, 0..1) to -1 dBFS, at most 6 dB; 0 when already there.
double AutomaticGain(double peak);

// The alert when the recording could not be stored and stopped: a full folder (ENOSPC,
// EDQUOT) is said as such, any other cause by its system description; the temporary
// folder is named on the second line.
AlertRequest StoreFailedAlert(int cause, const QString& temporaryFolder);

// At most this many places where audio was lost are listed one by one in the alert.
inline constexpr size_t kLostAudioPlacesListed = 8;

// The alert after a recording that lost audio: each place (recorded time, samples of one
// channel at frequency, their duration), or, when the framework listed none, how many times
// it reported an overflow.
AlertRequest LostAudioAlert(const std::vector<TkDroppedAudio>& places, uint64_t frequency, int overflowReports);
