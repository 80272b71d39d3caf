// One use of the framework by the tool: initialises it with a delegate whose
// tasks run on the tool's main queue, remembers what the notifications said,
// and reports each of them in words.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "MainQueue.h"
#include "Options.h"
#include "Terminal.h"
#include "cartova.h"

struct SessionEvents {
    bool captureStarted = false;
    bool recordingStarted = false;
    bool stopped = false;
    bool saveFinished = false;
    bool deviceLost = false;
    bool storeFailed = false;  // recording limit or temporary folder unusable
    double streamSeconds = 0.0;
    double convertSeconds = 0.0;
    std::vector<std::pair<TkNotifyError, std::string>> errors;
};

class Session {
public:
    explicit Session(Terminal& terminal);

    // Selects the back-end from the global options (before the framework is
    // first used) and initialises the framework.
    TkError Init(const GlobalOptions& global);

    // Runs posted notifications until condition() holds or the timeout passes.
    bool RunUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
    void RunFor(std::chrono::milliseconds duration);

    SessionEvents& Events() { return m_events; }
    Terminal& Out() { return m_terminal; }

private:
    static void OnOperation(void* context, TkRecOperation operation);
    static void OnStreamPos(void* context, double seconds);
    static void OnConvertPos(void* context, double seconds);
    static void OnError(void* context, TkNotifyError code, const char* message);

    Terminal& m_terminal;
    MainQueue m_queue;
    SessionEvents m_events;
};

// The tool's one session, reporting to stderr. The framework keeps the
// delegate for the rest of the process and its threads may still post to it
// after a command has returned (a detached save thread ends after its last
// notification), so the session is created once and never destroyed.
Session& ProcessSession();

// Sets the temporary folder: the given one must exist; the default (the
// user's cache folder + "/cartova") is created when missing. Either must take
// a new file (tried with a scratch file that is removed at once). Returns an
// error message, or empty on success.
std::string SetTemporaryFolder(const GlobalOptions& global);

// Checks the simulated turntable's record named with --simulate FILE: it must
// be readable and begin as a RIFF/WAVE file, so that a mistyped name is not
// silently replaced by the demo album. Returns an error message, or empty
// (also when no file was named).
std::string CheckSimulatedRecord(const GlobalOptions& global);

// Why the framework has no device to offer (a simulated turntable told to
// play a file it cannot play, ...), or empty.
std::string DeviceProblem();
