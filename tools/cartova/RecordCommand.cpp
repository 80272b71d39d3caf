// "cartova record": records from the turntable, then writes the tracks.
//
// The recording runs until the given duration of recorded time, the
// recording limit, the point where its last track would no longer fit its
// file, or Ctrl-C; a pause schedule pauses and resumes it on the way.
// Everything about the destination that can be known before recording
// (names, folders, existing files, track sizes, the temporary folder) is
// checked first, so a recording is never lost to it. Ctrl-C while writing
// cancels the write; the file being written is then removed, and the tool
// says so. A recording in which audio was lost is written, and the tool
// says where the gaps are and exits with 1.
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "Commands.h"
#include "Messages.h"
#include "Preflight.h"
#include "Session.h"
#include "TrackPlan.h"
#include "WriteOutcome.h"

const char* const kRecordHelp =
    "usage: cartova record [options]\n"
    "\n"
    "Records from the turntable, then writes every track as a file of its own\n"
    "(WAV or FLAC for PCM, DSF for DSD) into an album folder in the destination.\n"
    "\n"
    "Device and format:\n"
    "  --simulate [FILE]       use the simulated turntable (its demo album, or FILE)\n"
    "  --speed N               run the simulated turntable N times faster than real time\n"
    "  -d, --device NAME       the turntable to use (default: the first one found)\n"
    "  -f, --format FORMAT     pcm (WAV files, default), flac (FLAC files) or dsd\n"
    "                          (DSF files); FLAC is for PCM only\n"
    "      --flac              the same as --format flac\n"
    "      --compression 0-8   FLAC compression level (default 5)\n"
    "  -r, --rate HZ           PCM rate: 44100 ... 384000 (default 96000)\n"
    "  -b, --bits 16|24        PCM bit depth of the files (default 24)\n"
    "      --dsd 64|128|256    DSD rate (implies --format dsd; default 64)\n"
    "Recording:\n"
    "  -t, --duration TIME     recorded time, e.g. 20:00 or 90 (default: until Ctrl-C)\n"
    "      --pre-record TIME   capture this long before the recording starts\n"
    "      --pause AT+LENGTH   pause at AT of recorded time for LENGTH (repeatable)\n"
    "      --temp-dir DIR      temporary folder (default: the user's cache folder)\n"
    "Tracks and files:\n"
    "      --tracks T1,T2,...  track boundaries (default: one track for everything)\n"
    "      --tracks auto       split at the quiet gaps between the tracks of the record;\n"
    "                          the lead-in before the music and the run-out after it\n"
    "                          are not written\n"
    "      --tracks auto=N     the same for a side of N tracks: the N - 1 most gap-like places\n"
    "      --min-gap TIME      shortest gap between tracks for --tracks auto (default 0.6)\n"
    "      --album TEXT        album name; also the folder name\n"
    "      --album-artist TEXT\n"
    "      --title TEXT        title of the next track (repeat per track)\n"
    "      --artist TEXT       artist of the next track (repeat per track)\n"
    "      --cover FILE        front cover of FLAC tracks: a PNG or JPEG picture\n"
    "      --name FILE         file name of the next track (repeat per track;\n"
    "                          default: NN_yyyyMMddHHmmss.wav, .flac or .dsf)\n"
    "      --folder NAME       album folder name (default: the album, else the date)\n"
    "  -g, --gain DB           gain applied when writing (default 0)\n"
    "      --repair-clicks[=LEVEL]  repair clicks, pops and crackle in the tracks\n"
    "                          written (PCM); LEVEL low, normal (default) or high\n"
    "  -o, --output DIR        destination folder (default: the current folder)\n"
    "      --overwrite         replace existing track files\n"
    "  -h, --help              show this help\n"
    "\n"
    "Times are seconds (90, 1.5) or minutes:seconds (1:30). FLAC tracks also carry\n"
    "their track number, the number of tracks and the recording's date.\n"
    "\n"
    "Exit status: 0 every track written and no audio dropped; 1 any failure, or\n"
    "audio was dropped while recording (the tracks are still written); 2 usage\n"
    "errors and checks that fail before recording (nothing is recorded).\n";

namespace {

// Set by Ctrl-C (SIGINT) or SIGTERM; read by the recording and writing loops.
std::atomic<bool> interrupted{false};

void OnInterrupt(int)
{
    interrupted = true;
}

constexpr double kRecordingLimitSeconds = 5999.9;
constexpr auto kTick = std::chrono::milliseconds(50);

bool IsDirectory(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// Everything that would make writing fail, checked before recording.
std::string CheckDestination(const RecordOptions& options)
{
    if (!Exists(options.destination))
        return "the destination " + options.destination + " does not exist";
    if (!IsDirectory(options.destination))
        return "the destination " + options.destination + " is not a folder";
    if (access(options.destination.c_str(), W_OK | X_OK) != 0)
        return "the destination " + options.destination + " is not writable";
    TrackPlan probe = PlanTracks(options, 1.0, "wav", "20000101000000");
    return CheckAlbumFolder(probe.folder);
}

// The FLAC cover, when one is given: a picture the framework can use.
std::string CheckCover(const RecordOptions& options)
{
    if (options.cover.empty())
        return {};
    char* message = nullptr;
    const TkError result = Cartova_CheckCoverImage(options.cover.c_str(), &message);
    std::string problem = message != nullptr ? message : result != TkErrorSuccess ? DescribeError(result) : "";
    Cartova_ReleaseCoverImageProblem(message);
    return problem;
}

// The longest recording the plan can hold: the duration, else everything
// up to the recording limit.
double PlanningHorizon(const RecordOptions& options)
{
    return options.duration ? *options.duration : kRecordingLimitSeconds;
}

bool Contains(const uint32_t* list, size_t count, uint64_t value)
{
    return std::find(list, list + count, value) != list + count;
}

std::string RateList(const uint32_t* list, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += (i ? ", " : "") + std::to_string(list[i]);
    return text.empty() ? "none" : text;
}

// Opens the chosen device and sets the format. The device's channel count
// goes to `channels`. Returns an error message, or empty.
std::string OpenDevice(const GlobalOptions& global, const RecordOptions& options, uint16_t& channels)
{
    TkDeviceNameList* list = nullptr;
    if (TkError error = Cartova_GetAudioDevices(&list); error != TkErrorSuccess)
        return "cannot list audio devices: " + DescribeError(error);
    std::string chosen;
    for (size_t i = 0; i < list->count && chosen.empty(); ++i) {
        if (global.device.empty() || global.device == list->names[i])
            chosen = list->names[i];
    }
    Cartova_ReleaseAudioDevices(list);
    if (chosen.empty()) {
        return global.device.empty() ? "no turntable found (connect it, or use --simulate)"
                                     : "no turntable named '" + global.device + "'";
    }

    if (TkError error = Cartova_SetAudioDevice(chosen.c_str()); error != TkErrorSuccess)
        return "cannot open " + chosen + ": " + DescribeError(error);
    TkAudioDeviceInfo* info = nullptr;
    if (TkError error = Cartova_GetAudioDeviceInfo(&info); error != TkErrorSuccess)
        return "cannot describe " + chosen + ": " + DescribeError(error);

    std::string problem;
    bool dsd = options.format == RecordFormat::Dsd;
    if (dsd && !Contains(info->DSD_supported_freq, info->DSD_supported_freq_count, options.rate)) {
        problem = "DSD rate " + std::to_string(options.rate) + " Hz is not supported by " + chosen +
                  " (supported: " + RateList(info->DSD_supported_freq, info->DSD_supported_freq_count) + ")";
    } else if (!dsd && !Contains(info->PCM_supported_freq, info->PCM_supported_freq_count, options.rate)) {
        problem = "PCM rate " + std::to_string(options.rate) + " Hz is not supported by " + chosen +
                  " (supported: " + RateList(info->PCM_supported_freq, info->PCM_supported_freq_count) + ")";
    }
    channels = info->i_ch;
    Cartova_ReleaseAudioDeviceInfo(info);
    if (!problem.empty())
        return problem;
    if (channels == 0)
        return chosen + " has no input channels";

    TkRecordSetting setting{dsd ? 1 : 0, options.rate, static_cast<uint16_t>(dsd ? 1 : options.bits)};
    if (TkError error = Cartova_SetRecordSetting(&setting); error != TkErrorSuccess)
        return "cannot set the recording format: " + DescribeError(error);
    return {};
}

// Reads the recording view: its length in seconds and the peak of its last tenth.
struct Capture {
    double seconds = 0.0;
    double peak = 0.0;
};

Capture ReadCapture(double previewRate, uint16_t channels)
{
    Capture capture;
    uint64_t frames = 0;
    if (Cartova_GetRecordingPreviewDataLength(&frames) != TkErrorSuccess)
        return capture;
    capture.seconds = static_cast<double>(frames) / previewRate;
    uint64_t tenth = std::max<uint64_t>(1, static_cast<uint64_t>(previewRate / 10.0));
    uint64_t first = frames > tenth ? frames - tenth : 0;
    std::vector<int16_t> samples(static_cast<size_t>(frames - first) * channels);
    if (samples.empty() ||
        Cartova_GetRecordingPreviewData(first, frames, samples.data(), samples.size()) != TkErrorSuccess)
        return capture;
    int peak = 0;
    for (int16_t sample : samples)
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    capture.peak = peak / 32768.0;
    return capture;
}

// Runs the recording until its end. Returns an error message, or empty.
std::string Record(Session& session, const RecordOptions& options, double previewRate, uint16_t channels,
                   double stopAt)
{
    SessionEvents& events = session.Events();
    Terminal& out = session.Out();
    bool preRecording = options.preRecord > 0.0;

    // The framework pauses and resumes on the recording thread, within one
    // capture buffer of each planned time; polling here could not keep up
    // with a fast simulated turntable.
    std::vector<TkPauseSpan> plan;
    for (const PauseSpan& pause : options.pauses)
        plan.push_back({pause.at, pause.length});
    if (TkError planError = Cartova_SetPauseSchedule(plan.data(), plan.size()); planError != TkErrorSuccess)
        return "cannot plan the pauses: " + DescribeError(planError);

    TkError error = preRecording ? Cartova_StartPreRecording() : Cartova_Start();
    if (error != TkErrorSuccess)
        return "cannot start: " + DescribeError(error);
    session.RunUntil([&] { return events.captureStarted || events.deviceLost; }, std::chrono::seconds(15));
    if (!events.captureStarted)
        return events.deviceLost ? "the turntable could not be started" : "the turntable did not start in time";

    if (preRecording) {
        while (!interrupted && !events.deviceLost) {
            Capture capture = ReadCapture(previewRate, channels);
            if (capture.seconds >= options.preRecord)
                break;
            out.Status("pre-recording " + FormatTime(capture.seconds) + "  level " + FormatLevel(capture.peak));
            session.RunFor(kTick);
        }
        if (!interrupted && !events.deviceLost) {
            if (TkError startError = Cartova_Start(); startError != TkErrorSuccess)
                return "cannot start recording: " + DescribeError(startError);
            session.RunUntil([&] { return events.recordingStarted || events.deviceLost; }, std::chrono::seconds(15));
        }
    }

    // What the user sees of the planned pauses; the framework does them.
    size_t nextPause = 0;
    bool paused = false;
    double pausedSince = 0.0;
    while (!interrupted && !events.deviceLost && !events.storeFailed) {
        session.RunFor(kTick);
        Capture capture = ReadCapture(previewRate, channels);
        double recorded = events.streamSeconds;

        if (paused && capture.seconds - pausedSince >= options.pauses[nextPause].length) {
            out.Line("resumed at " + FormatTime(options.pauses[nextPause].at));
            paused = false;
            ++nextPause;
        } else if (!paused && nextPause < options.pauses.size() && recorded >= options.pauses[nextPause].at) {
            out.Line("paused at " + FormatTime(options.pauses[nextPause].at));
            paused = true;
            pausedSince = capture.seconds;
        }
        if (options.duration && recorded >= *options.duration)
            break;
        if (recorded >= kRecordingLimitSeconds) {
            out.Line("the recording limit of 99:59.9 is reached");
            break;
        }
        if (recorded >= stopAt) {
            out.Line("stopped at " + FormatTime(recorded) + ": a longer last track would not fit its file");
            break;
        }
        out.Status(std::string(paused ? "paused    " : "recording ") + FormatTime(recorded) + "  level " +
                   FormatLevel(capture.peak));
    }
    if (interrupted)
        out.Line("interrupted: stopping the recording");

    if (Cartova_Stop(false) == TkErrorSuccess)
        session.RunUntil([&] { return events.stopped; }, std::chrono::seconds(60));
    out.EndStatus();
    if (!events.stopped)
        return "the recording did not stop";
    if (events.storeFailed)
        return "the recording could not be stored completely";
    return {};
}

// The finished recording's length in seconds, from its preview.
double RecordedSeconds(double previewRate)
{
    uint64_t frames = 0;
    if (Cartova_GetPreviewDataLength(&frames) != TkErrorSuccess)
        return 0.0;
    return static_cast<double>(frames) / previewRate;
}

// One track's request with the storage its pointers refer to.
struct SaveRequest {
    std::string number;
    std::vector<TkTag> tags;
    TkSaveSetting setting{};
};

// "yyyy-MM-dd" of a "yyyyMMddHHmmss" date.
std::string IsoDate(const std::string& date)
{
    return date.size() < 8 ? date : date.substr(0, 4) + "-" + date.substr(4, 2) + "-" + date.substr(6, 2);
}

// What FLAC files carry beyond the tags of every format (the framework
// leaves these out of WAV and DSF files).
struct FlacFields {
    std::string total;
    std::string date;  // "yyyy-MM-dd"
    std::string cover; // empty: none
};

std::vector<TkTag> MakeTags(const PlannedTrack& track, const RecordOptions& options, const std::string& number,
                            const FlacFields& flac)
{
    std::vector<TkTag> tags{
        {"TrackNumber", number.c_str()}, {"TrackTotal", flac.total.c_str()}, {"Date", flac.date.c_str()}};
    if (!flac.cover.empty())
        tags.push_back({"CoverImage", flac.cover.c_str()});
    if (!track.title.empty())
        tags.push_back({"Title", track.title.c_str()});
    if (!track.artist.empty())
        tags.push_back({"Artist", track.artist.c_str()});
    if (!options.album.empty())
        tags.push_back({"Alubum", options.album.c_str()});
    if (!options.albumArtist.empty())
        tags.push_back({"AlbumArtist", options.albumArtist.c_str()});
    return tags;
}

// Writes the planned tracks of a recording started on date
// ("yyyyMMddHHmmss"). Returns the exit code.
int Write(Session& session, const TrackPlan& plan, const RecordOptions& options, const std::string& date)
{
    SessionEvents& events = session.Events();
    Terminal& out = session.Out();
    for (const std::string& warning : plan.warnings)
        out.Line("cartova: " + warning);

    int result = kExitSuccess;
    std::vector<const PlannedTrack*> chosen;
    for (const PlannedTrack& track : plan.tracks) {
        if (IsDirectory(track.path)) {
            out.Line("cartova: not writing " + track.path + ": a folder of that name exists");
            result = kExitFailure;
        } else if (Exists(track.path) && !options.overwrite) {
            out.Line("cartova: not writing " + track.path + ": the file exists (use --overwrite to replace it)");
            result = kExitFailure;
        } else {
            chosen.push_back(&track);
        }
    }
    if (chosen.empty()) {
        out.Line("cartova: nothing was written: every track file is in the way (see above)");
        return kExitFailure;
    }

    std::vector<SaveRequest> requests(chosen.size());
    std::vector<TkSaveSetting> settings;
    FlacFields flac{std::to_string(plan.tracks.size()), IsoDate(date), options.cover};
    // The cover was checked before recording; one that has gone since then
    // is left out rather than the tracks.
    if (std::string problem = CheckCover(options); !problem.empty()) {
        out.Line("cartova: " + problem + "; writing the tracks without a cover");
        flac.cover.clear();
    }
    for (size_t i = 0; i < chosen.size(); ++i) {
        requests[i].number = std::to_string(chosen[i] - plan.tracks.data() + 1);
        requests[i].tags = MakeTags(*chosen[i], options, requests[i].number, flac);
        settings.push_back({chosen[i]->path.c_str(), chosen[i]->start, chosen[i]->end, options.gain,
                            requests[i].tags.data(), requests[i].tags.size()});
    }

    std::vector<FileStamp> before;
    for (const PlannedTrack* track : chosen)
        before.push_back(StampOf(track->path));
    const bool folderExisted = Exists(plan.folder);

    size_t errorsBefore = events.errors.size();
    if (TkError error = Cartova_SaveFile(settings.data(), settings.size()); error != TkErrorSuccess) {
        out.Line("cartova: cannot start writing: " + DescribeError(error));
        return kExitFailure;
    }

    bool cancelled = false;
    size_t file = 1;
    int lastFileProgress = 0;
    while (!events.saveFinished) {
        session.RunFor(std::chrono::milliseconds(100));
        if (interrupted && !cancelled) {
            Cartova_SaveFileCancel(true);
            cancelled = true;
            out.Line("interrupted: cancelling the write");
        }
        int32_t fileProgress = 0;
        int32_t totalProgress = 0;
        if (!events.saveFinished && Cartova_SaveFileProgress(&fileProgress, &totalProgress) == TkErrorSuccess) {
            if (fileProgress < lastFileProgress && file < settings.size())
                ++file;
            lastFileProgress = fileProgress;
            out.Progress(fileProgress, totalProgress, file, settings.size());
        }
    }
    // Error notifications of an aborted run follow the finish notification.
    session.RunFor(std::chrono::milliseconds(200));
    out.EndStatus();

    WriteRunEnd end;
    for (size_t i = errorsBefore; i < events.errors.size(); ++i) {
        const auto& [code, message] = events.errors[i];
        if (code == TkNotifyFileSkipped) {
            end.skipped.push_back(message);
        } else if (code == TkNotifySaveAborted || code == TkNotifyTempFolderUnusable) {
            end.aborted = true;
            // The message is "cause: path" (or the path alone).
            for (const PlannedTrack* track : chosen) {
                if (message.size() >= track->path.size() &&
                    message.compare(message.size() - track->path.size(), std::string::npos, track->path) == 0)
                    end.abortedPath = track->path;
            }
        }
    }
    std::vector<TrackFile> files;
    for (size_t i = 0; i < chosen.size(); ++i)
        files.push_back({chosen[i]->path, WrittenSince(before[i], StampOf(chosen[i]->path))});
    const std::vector<TrackOutcome> outcomes = ClassifyTracks(files, end);
    for (size_t i = 0; i < files.size(); ++i) {
        if (outcomes[i] == TrackOutcome::Written) {
            out.Line("wrote " + files[i].path);
        } else if (outcomes[i] == TrackOutcome::Incomplete) {
            // A file cut short by the abort has headers for samples it lacks.
            if (std::remove(files[i].path.c_str()) == 0)
                out.Line("cartova: removed the incomplete file " + files[i].path);
            else
                out.Line("cartova: " + files[i].path + " is incomplete and could not be removed: " +
                         std::strerror(errno));
        }
    }
    // The album folder of this run is not left behind empty.
    if (!folderExisted)
        rmdir(plan.folder.c_str());
    const bool anyWritten = std::find(outcomes.begin(), outcomes.end(), TrackOutcome::Written) != outcomes.end();
    if (!anyWritten && !cancelled) {
        out.Line("cartova: nothing was written: no track file could be written (see the reasons above)");
        return kExitFailure;
    }
    if (cancelled) {
        out.Line("cartova: writing was cancelled; the file being written was removed");
        return kExitFailure;
    }
    out.Line("the files are in " + plan.folder);
    if (events.errors.size() != errorsBefore)
        return kExitFailure;
    return result;
}

// Says where audio was lost in the recording; true when it was.
bool ReportDroppedAudio(Terminal& out)
{
    TkDroppedAudio* gaps = nullptr;
    size_t count = 0;
    if (Cartova_GetDroppedAudio(&gaps, &count) != TkErrorSuccess || count == 0)
        return false;
    for (const std::string& line : DescribeDroppedAudio(gaps, count))
        out.Line("cartova: " + line);
    Cartova_ReleaseDroppedAudio(gaps);
    return true;
}

// Numbers as the tool prints them: " 12.34 5.60".
std::string NumberList(const double* values, size_t count)
{
    std::string list;
    for (size_t i = 0; i < count; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, " %.2f", values[i]);
        list += text;
    }
    return list;
}

// Why --tracks auto found nothing to split at, for the user.
std::string DescribeSideProblem(const TkTrackFinding& finding, const RecordOptions& options)
{
    switch (finding.problem) {
    case TkSideProblemTooShort:
        return "the recording is shorter than the minimum gap between tracks";
    case TkSideProblemNoMusic:
        return "no music was found in the recording, only the noise of the groove or the turntable";
    case TkSideProblemTooManyTracks:
        return "the recording has " + std::to_string(finding.places) + " places between tracks, fewer than the " +
               std::to_string(options.trackCount - 1) + " that " + std::to_string(options.trackCount) +
               " tracks need";
    default:
        return {};
    }
}

// The track boundaries of --tracks auto: the gaps the framework finds in
// the recording (or its N - 1 most gap-like places for auto=N), printed,
// and where the music starts and ends, which becomes the start of the first
// track and the end of the last. Nothing found leaves one track of the
// whole recording.
std::vector<double> FindTrackSplits(RecordOptions& options, double recorded, Terminal& out)
{
    TkTrackGapSetting setting{options.minGap.value_or(0.6), 0.0, 0.2};
    TkTrackFinding* finding = nullptr;
    std::vector<double> splits;
    if (TkError error = Cartova_FindTracks(&setting, options.trackCount, &finding); error != TkErrorSuccess) {
        out.Line("cartova: could not look for the gaps between tracks (" + DescribeError(error) +
                 "); writing one track");
        return splits;
    }
    if (finding->problem != TkSideProblemNone) {
        out.Line("cartova: " + DescribeSideProblem(*finding, options) + "; writing one track");
        Cartova_ReleaseTrackFinding(finding);
        return splits;
    }
    options.firstTrackStart = finding->music_start_seconds;
    options.lastTrackEnd = std::min(finding->music_end_seconds, recorded);
    std::vector<double> strengths;
    for (size_t i = 0; i < finding->count; ++i) {
        if (finding->boundaries[i] > options.firstTrackStart && finding->boundaries[i] < *options.lastTrackEnd) {
            splits.push_back(finding->boundaries[i]);
            strengths.push_back(finding->strengths[i]);
        }
    }
    char music[128];
    std::snprintf(music, sizeof music, "music from %.2f s to %.2f s (needle down at %.2f s, up at %.2f s)",
                  finding->music_start_seconds, *options.lastTrackEnd, finding->needle_down_seconds,
                  finding->needle_up_seconds);
    Cartova_ReleaseTrackFinding(finding);
    if (splits.empty()) {
        out.Line(options.trackCount == 1 ? "writing one track, as asked"
                                         : "no gaps between tracks were found; writing one track");
    } else {
        out.Line("track boundaries at the gaps (seconds):" + NumberList(splits.data(), splits.size()));
        out.Line("strengths of the boundaries (0 to 1):" + NumberList(strengths.data(), strengths.size()));
    }
    out.Line(music);
    return splits;
}

// Finds the clicks of the recording and has them repaired in the tracks
// written; says how many places of each kind. False when the analysis
// failed (the tracks are then written as recorded).
bool RepairClicks(Session& session, ClickRepairLevel level, Terminal& out)
{
    const TkClickSensitivity sensitivity = level == ClickRepairLevel::Low    ? TkClickSensitivityLow
                                           : level == ClickRepairLevel::High ? TkClickSensitivityHigh
                                                                             : TkClickSensitivityNormal;
    if (TkError error = Cartova_FindClicks(sensitivity); error != TkErrorSuccess) {
        out.Line("cartova: cannot look for clicks (" + DescribeError(error) + "); writing the tracks as recorded");
        return false;
    }
    int32_t progress = 0;
    TkClickAnalysisState state = TkClickAnalysisRunning;
    while (Cartova_FindClicksProgress(&progress, &state) == TkErrorSuccess && state == TkClickAnalysisRunning) {
        if (interrupted)
            Cartova_FindClicksCancel();
        out.Status("finding clicks " + std::to_string(progress / 10) + " %");
        session.RunFor(std::chrono::milliseconds(100));
    }
    out.EndStatus();
    TkClickPlaceList* list = nullptr;
    if (state != TkClickAnalysisFinished || Cartova_GetClickPlaces(&list) != TkErrorSuccess) {
        out.Line("cartova: the click analysis did not finish; writing the tracks as recorded");
        return false;
    }
    size_t repaired[3] = {0, 0, 0};
    size_t left = 0;
    for (size_t i = 0; i < list->count; ++i) {
        const TkClickPlace& place = list->places[i];
        if (!place.repaired)
            ++left;
        else if (place.kind >= 0 && place.kind < 3)
            ++repaired[place.kind];
    }
    Cartova_ReleaseClickPlaces(list);
    out.Line("repairing " + std::to_string(repaired[TkClickKindClick]) + " clicks, " +
             std::to_string(repaired[TkClickKindPop]) + " pops and " + std::to_string(repaired[TkClickKindCrackle]) +
             " crackle ticks" + (left ? "; " + std::to_string(left) + " places that could not be rebuilt are left as recorded" : ""));
    Cartova_SetClickRepair(false, true);
    return true;
}

} // namespace

void CatchInterrupts()
{
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
}

std::string CheckWriteOptions(const RecordOptions& options, const std::string& extension, const std::string& date,
                              double horizon)
{
    if (std::string problem = ValidateNames(options, extension); !problem.empty())
        return problem;
    if (std::string problem = CheckDestination(options); !problem.empty())
        return problem;
    if (std::string problem = CheckCover(options); !problem.empty())
        return problem;
    return CheckTrackCollisions(PlanTracks(options, horizon, extension, date), options.overwrite);
}

int WriteRecording(Session& session, RecordOptions& options, double recorded, const std::string& extension,
                   const std::string& date)
{
    Terminal& terminal = session.Out();
    interrupted = false;
    if (options.autoTracks)
        options.splits = FindTrackSplits(options, recorded, terminal);
    const bool repairFailed = options.repairClicks && !RepairClicks(session, *options.repairClicks, terminal);
    TrackPlan plan = PlanTracks(options, recorded, extension, date);
    const int written = Write(session, plan, options, date);
    return repairFailed ? kExitFailure : written;
}

int RunRecordCommand(const std::vector<std::string>& args, GlobalOptions global)
{
    RecordOptions options;
    ParseResult parsed = ParseRecordOptions(args, global, options);
    if (parsed.help) {
        std::fputs(kRecordHelp, stdout);
        return kExitSuccess;
    }
    if (!parsed.ok) {
        std::fprintf(stderr, "cartova record: %s\n(see cartova record --help)\n", parsed.error.c_str());
        return kExitUsage;
    }
    if (std::string problem = CheckSimulatedRecord(global); !problem.empty()) {
        std::fprintf(stderr, "cartova record: %s\n", problem.c_str());
        return kExitUsage;
    }
    const std::string extension = options.format == RecordFormat::Dsd ? "dsf" : options.flac ? "flac" : "wav";
    // The default names carry the date of the recording's start.
    const std::string date = CurrentDateString();
    if (std::string problem = CheckWriteOptions(options, extension, date, PlanningHorizon(options)); !problem.empty()) {
        std::fprintf(stderr, "cartova record: %s\n", problem.c_str());
        return kExitUsage;
    }
    const TrackPlan fullPlan = PlanTracks(options, PlanningHorizon(options), extension, date);

    Session& session = ProcessSession();
    Terminal& terminal = session.Out();
    if (TkError error = session.Init(global); error != TkErrorSuccess) {
        std::fprintf(stderr, "cartova: cannot initialise the framework: %s\n", DescribeError(error).c_str());
        return kExitFailure;
    }
    if (std::string problem = DeviceProblem(); !problem.empty()) {
        std::fprintf(stderr, "cartova: %s\n", problem.c_str());
        return kExitUsage;
    }
    if (std::string problem = SetTemporaryFolder(global); !problem.empty()) {
        std::fprintf(stderr, "cartova: %s\n", problem.c_str());
        return kExitUsage;
    }
    if (TkError error = Cartova_SetPcmFileFormat(options.flac ? TkPcmFileFormatFlac : TkPcmFileFormatWav,
                                                 static_cast<int32_t>(options.compression.value_or(5)));
        error != TkErrorSuccess) {
        std::fprintf(stderr, "cartova: cannot choose the file format: %s\n", DescribeError(error).c_str());
        return kExitFailure;
    }
    uint16_t channels = 0;
    if (std::string problem = OpenDevice(global, options, channels); !problem.empty()) {
        std::fprintf(stderr, "cartova: %s\n", problem.c_str());
        return kExitUsage;
    }
    const TrackSizeCheck sizes = CheckTrackSizes(options, channels, TrackFileLimitFor(options, fullPlan.folder));
    if (!sizes.problem.empty()) {
        std::fprintf(stderr, "cartova record: %s\n", sizes.problem.c_str());
        return kExitUsage;
    }

    CatchInterrupts();

    double previewRate = options.format == RecordFormat::Dsd ? options.rate / 64.0 : double(options.rate);
    Cartova_New();
    std::string problem = Record(session, options, previewRate, channels, sizes.stopAt);
    // The recording stops a little after the time asked for (at the next
    // notification); the tracks end exactly there.
    double recorded = std::min(RecordedSeconds(previewRate), std::min(PlanningHorizon(options), sizes.stopAt));
    if (!problem.empty())
        terminal.Line("cartova: " + problem);
    const bool dropped = ReportDroppedAudio(terminal);
    if (recorded <= 0.0) {
        terminal.Line("cartova: nothing was recorded");
        return kExitFailure;
    }
    terminal.Line("recorded " + FormatTime(recorded));

    // What was recorded is written even after a failure, so that it is not lost.
    const int written = WriteRecording(session, options, recorded, extension, date);
    return problem.empty() && !dropped ? written : kExitFailure;
}
