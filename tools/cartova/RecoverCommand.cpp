// "cartova recover": lists the recordings a program that died left in the
// temporary folder, writes one as track files (with the track, tag and
// output options of "record"), or discards one. Needs no turntable.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "Commands.h"
#include "Messages.h"
#include "Session.h"
#include "TrackPlan.h"

const char* const kRecoverHelp =
    "usage: cartova recover --list [--temp-dir DIR]\n"
    "       cartova recover [ID] [options of record for tracks and files]\n"
    "       cartova recover --discard ID [--temp-dir DIR]\n"
    "\n"
    "A recording that was not written to files because the program was killed,\n"
    "crashed or lost its power is kept in the temporary folder. --list shows\n"
    "them; without --list the recording ID (the newest one when no ID is given)\n"
    "is written as track files like 'record' writes them (--tracks, --tracks\n"
    "auto, --album, --title, --name, -f flac, -g, -o, ...), and its temporary\n"
    "files are removed once every track is written. --discard ID deletes one.\n"
    "Track markers and names kept with the recording are used where the command\n"
    "line gives none.\n"
    "The recording's format and the bit depth chosen for it are kept.\n"
    "\n"
    "Exit status: 0 done; 1 nothing to recover or a failure; 2 usage errors.\n";

namespace {

struct RecoverRequest {
    bool list = false;
    std::string discard;
    std::string id;
    std::vector<std::string> rest; // options of record
};

// The recover options first, then what is left for record's parser.
std::string ParseRecoverArgs(const std::vector<std::string>& args, RecoverRequest& request)
{
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--list") {
            request.list = true;
        } else if (args[i] == "--discard") {
            if (i + 1 >= args.size())
                return "--discard needs the ID of a recording";
            request.discard = args[++i];
        } else if (i == 0 && !args[i].empty() && args[i][0] != '-') {
            request.id = args[i];
        } else {
            request.rest.push_back(args[i]);
        }
    }
    return {};
}

std::string Describe(const TkRecoverable& item)
{
    char text[256];
    const std::string format = item.rec_type == 1 ? "DSD " + std::to_string(item.freq) + " Hz"
                                                  : "PCM " + std::to_string(item.freq) + " Hz " +
                                                        std::to_string(item.bits) + "-bit";
    const std::time_t started = static_cast<std::time_t>(item.started);
    std::tm local{};
    localtime_r(&started, &local);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M", &local);
    std::snprintf(text, sizeof text, "%s  %s  %s, %u channels, %s", item.id, when, format.c_str(),
                  unsigned(item.channels), FormatTime(item.seconds).c_str());
    std::string line = text;
    switch (item.state) {
    case TkRecoverableInUse:
        line += "  (in use by a running program)";
        break;
    case TkRecoverableDamaged:
        line += "  (its journal is damaged: not trusted)";
        break;
    case TkRecoverableNewer:
        line += "  (written by a newer version: left alone)";
        break;
    default:
        break;
    }
    if (item.missing != nullptr && item.missing[0] != '\0')
        line += std::string("\n    missing: ") + item.missing;
    return line;
}

// Why a recording cannot be opened or discarded, from the framework's answer.
std::string OpenProblem(TkError error, const std::string& id)
{
    switch (error) {
    case TkErrorInvalidArgument:
        return "there is no recording " + id + " to recover";
    case TkErrorInvalidState:
        return "recording " + id + " is in use by another running program";
    case TkErrorNotSupported:
        return "recording " + id + " was left by a newer version or another program; it is left alone";
    default:
        return "recording " + id + " cannot be recovered: " + DescribeError(error);
    }
}

// On standard output, one recording a line (the newest first), for scripts.
int List(const TkRecoverableList& list)
{
    if (list.count == 0)
        std::puts("no recording to recover");
    for (size_t i = 0; i < list.count; ++i)
        std::puts(Describe(list.items[i]).c_str());
    return kExitSuccess;
}

// The recording to write: the one asked for, else the newest that can be opened.
const TkRecoverable* Choose(const TkRecoverableList& list, const std::string& id)
{
    for (size_t i = 0; i < list.count; ++i) {
        const TkRecoverable& item = list.items[i];
        if (id.empty() ? item.state == TkRecoverableReady : id == item.id)
            return &item;
    }
    return nullptr;
}

// The track markers and names typed before the program died, where the
// command line gives none.
void UseKeptNotes(RecordOptions& options, Terminal& out)
{
    TkRecordingNotes* notes = nullptr;
    if (Cartova_GetRecordingNotes(&notes) != TkErrorSuccess)
        return;
    bool used = false;
    if (options.splits.empty() && !options.autoTracks && notes->marker_count > 0) {
        options.splits.assign(notes->markers, notes->markers + notes->marker_count);
        used = true;
    }
    if (options.album.empty() && notes->name_count > 0 && notes->names[0][0] != '\0') {
        options.album = notes->names[0];
        used = true;
    }
    if (options.titles.empty() && notes->name_count > 1) {
        options.titles.assign(notes->names + 1, notes->names + notes->name_count);
        used = true;
    }
    Cartova_ReleaseRecordingNotes(notes);
    if (used)
        out.Line("using the track markers and names kept with the recording");
}

int Recover(Session& session, const TkRecoverable& item, RecordOptions& options)
{
    Terminal& out = session.Out();
    options.format = item.rec_type == 1 ? RecordFormat::Dsd : RecordFormat::Pcm;
    options.rate = item.freq;
    if (item.rec_type != 1)
        options.bits = item.bits;
    if (options.format == RecordFormat::Dsd && options.flac) {
        std::fprintf(stderr, "cartova recover: %s is a DSD recording: it is written as DSF files, not FLAC\n", item.id);
        return kExitUsage;
    }
    const std::string extension = options.format == RecordFormat::Dsd ? "dsf" : options.flac ? "flac" : "wav";
    const std::string date = DateString(static_cast<std::time_t>(item.started));
    if (TkError error = Cartova_SetPcmFileFormat(options.flac ? TkPcmFileFormatFlac : TkPcmFileFormatWav,
                                                 static_cast<int32_t>(options.compression.value_or(5)));
        error != TkErrorSuccess) {
        out.Line("cartova: cannot choose the file format: " + DescribeError(error));
        return kExitFailure;
    }
    const std::string id = item.id;
    out.Line("recovering " + Describe(item));
    if (TkError error = Cartova_OpenRecoverableRecording(id.c_str()); error != TkErrorSuccess) {
        out.Line("cartova: " + OpenProblem(error, id));
        return kExitFailure;
    }
    SessionEvents& events = session.Events();
    session.RunUntil([&] { return events.stopped; }, std::chrono::hours(2));
    if (!events.stopped) {
        out.Line("cartova: the recording could not be read back");
        return kExitFailure;
    }
    // Checked once the kept names are known; a refusal leaves the recording recoverable.
    UseKeptNotes(options, out);
    if (std::string problem = CheckWriteOptions(options, extension, date, item.seconds); !problem.empty()) {
        std::fprintf(stderr, "cartova recover: %s\n", problem.c_str());
        return kExitUsage;
    }
    const int result = WriteRecording(session, options, item.seconds, extension, date);
    if (result == kExitSuccess)
        out.Line("recording " + id + " is written; its temporary files go now");
    else
        out.Line("cartova: recording " + id + " stays recoverable (cartova recover " + id + ")");
    return result;
}

} // namespace

int RunRecoverCommand(const std::vector<std::string>& args, GlobalOptions global)
{
    RecoverRequest request;
    if (std::string problem = ParseRecoverArgs(args, request); !problem.empty()) {
        std::fprintf(stderr, "cartova recover: %s\n(see cartova recover --help)\n", problem.c_str());
        return kExitUsage;
    }
    RecordOptions options;
    ParseResult parsed = ParseRecordOptions(request.rest, global, options);
    if (parsed.help) {
        std::fputs(kRecoverHelp, stdout);
        return kExitSuccess;
    }
    if (!parsed.ok) {
        std::fprintf(stderr, "cartova recover: %s\n(see cartova recover --help)\n", parsed.error.c_str());
        return kExitUsage;
    }
    if (options.duration || options.preRecord > 0.0 || !options.pauses.empty()) {
        std::fprintf(stderr, "cartova recover: -t, --pre-record and --pause are for recording only\n");
        return kExitUsage;
    }

    Session& session = ProcessSession();
    Terminal& out = session.Out();
    if (TkError error = session.Init(global); error != TkErrorSuccess) {
        std::fprintf(stderr, "cartova: cannot initialise the framework: %s\n", DescribeError(error).c_str());
        return kExitFailure;
    }
    if (std::string problem = SetTemporaryFolder(global); !problem.empty()) {
        std::fprintf(stderr, "cartova: %s\n", problem.c_str());
        return kExitUsage;
    }
    if (!request.discard.empty()) {
        const TkError error = Cartova_DiscardRecoverableRecording(nullptr, request.discard.c_str());
        if (error != TkErrorSuccess) {
            out.Line("cartova: " + OpenProblem(error, request.discard));
            return kExitFailure;
        }
        out.Line("discarded recording " + request.discard);
        return kExitSuccess;
    }
    TkRecoverableList* list = nullptr;
    if (TkError error = Cartova_GetRecoverableRecordings(nullptr, &list); error != TkErrorSuccess) {
        out.Line("cartova: cannot look for recordings to recover: " + DescribeError(error));
        return kExitFailure;
    }
    int result = kExitSuccess;
    if (request.list) {
        result = List(*list);
    } else if (const TkRecoverable* item = Choose(*list, request.id); item == nullptr) {
        out.Line(request.id.empty() ? "cartova: no recording to recover"
                                    : "cartova: " + OpenProblem(TkErrorInvalidArgument, request.id));
        result = kExitFailure;
    } else if (item->state != TkRecoverableReady) {
        out.Line("cartova: cannot recover " + Describe(*item));
        result = kExitFailure;
    } else {
        CatchInterrupts();
        result = Recover(session, *item, options);
    }
    Cartova_ReleaseRecoverableRecordings(list);
    return result;
}
