// The tool's delegate and its record of the framework's notifications.
#include "Session.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "Messages.h"

Session::Session(Terminal& terminal) : m_terminal(terminal) {}

TkError Session::Init(const GlobalOptions& global)
{
    if (global.simulate) {
        setenv("CARTOVA_DEVICE", "sim", 1);
        if (!global.simulateSource.empty())
            setenv("CARTOVA_SIM_SOURCE", global.simulateSource.c_str(), 1);
        setenv("CARTOVA_SIM_SPEED", std::to_string(global.speed).c_str(), 1);
    }
    ICartovaDelegate delegate{};
    delegate.context = this;
    delegate.NotifyOperationProc = &Session::OnOperation;
    delegate.NotifyStreamPosProc = &Session::OnStreamPos;
    delegate.NotifyConvertPosProc = &Session::OnConvertPos;
    delegate.NotifyErrorMessageProc = &Session::OnError;
    // The delegate's context is the session; tasks go to its queue.
    delegate.post_to_main_queue = [](void* context, TkMainQueueTask task, void* taskContext) {
        static_cast<Session*>(context)->m_queue.Post(task, taskContext);
    };
    return Cartova_Init(&delegate);
}

bool Session::RunUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    return m_queue.RunUntil(condition, timeout);
}

void Session::RunFor(std::chrono::milliseconds duration)
{
    m_queue.RunFor(duration);
}

void Session::OnOperation(void* context, TkRecOperation operation)
{
    auto* self = static_cast<Session*>(context);
    switch (operation) {
    case TkRecOperationCaptureStarted: self->m_events.captureStarted = true; break;
    case TkRecOperationRecordingStarted: self->m_events.recordingStarted = true; break;
    case TkRecOperationStopped: self->m_events.stopped = true; break;
    case TkRecOperationSaveFinished: self->m_events.saveFinished = true; break;
    default: break;
    }
    self->m_terminal.Line(DescribeOperation(operation));
}

void Session::OnStreamPos(void* context, double seconds)
{
    static_cast<Session*>(context)->m_events.streamSeconds = seconds;
}

void Session::OnConvertPos(void* context, double seconds)
{
    static_cast<Session*>(context)->m_events.convertSeconds = seconds;
}

void Session::OnError(void* context, TkNotifyError code, const char* message)
{
    auto* self = static_cast<Session*>(context);
    std::string text = message ? message : "";
    self->m_events.errors.emplace_back(code, text);
    if (code == TkNotifyDeviceLost)
        self->m_events.deviceLost = true;
    if (code == TkNotifyRecordingLimit || code == TkNotifyStoreFailed || code == TkNotifyTempFolderUnusable)
        self->m_events.storeFailed = true;
    self->m_terminal.Line("cartova: " + DescribeNotifyError(code, text));
}

Session& ProcessSession()
{
    static Terminal* terminal = new Terminal(stderr);
    static Session* session = new Session(*terminal);
    return *session;
}

namespace {

// The user's cache folder: $XDG_CACHE_HOME, else $HOME/.cache.
std::string UserCacheFolder()
{
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : "/tmp") + "/.cache";
}

bool IsDirectory(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates path and its missing parents with mode 0700.
bool MakeDirectories(const std::string& path)
{
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at != path.size() && path[at] != '/')
            continue;
        std::string part = path.substr(0, at);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return IsDirectory(path);
}

} // namespace

std::string SetTemporaryFolder(const GlobalOptions& global)
{
    std::string folder = global.tempDirectory;
    if (folder.empty()) {
        folder = UserCacheFolder() + "/cartova";
        if (!MakeDirectories(folder))
            return "cannot create the temporary folder " + folder + ": " + std::strerror(errno);
    } else if (!IsDirectory(folder)) {
        return "the temporary folder " + folder + " does not exist or is not a folder";
    }
    std::string probe = folder + "/.cartova-probe-XXXXXX";
    const int fd = mkstemp(probe.data());
    if (fd < 0)
        return "the temporary folder " + folder + " cannot take the recording: " + std::strerror(errno);
    close(fd);
    unlink(probe.c_str());
    TkError error = Cartova_SetTempDirectory(folder.c_str());
    if (error != TkErrorSuccess)
        return "cannot use the temporary folder " + folder + ": " + DescribeError(error);
    return {};
}

std::string CheckSimulatedRecord(const GlobalOptions& global)
{
    if (!global.simulate || global.simulateSource.empty())
        return {};
    const std::string& path = global.simulateSource;
    if (IsDirectory(path))
        return "cannot play " + path + " on the simulated turntable: it is a folder";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return "cannot play " + path + " on the simulated turntable: " + std::strerror(errno);
    unsigned char header[12] = {};
    const size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    if (got < sizeof header || std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0)
        return "cannot play " + path + " on the simulated turntable: it is not a WAV file";
    return {};
}

std::string DeviceProblem()
{
    char* message = nullptr;
    if (Cartova_GetDeviceProblem(&message) != TkErrorSuccess || message == nullptr)
        return {};
    std::string problem = message;
    Cartova_ReleaseDeviceProblem(message);
    return problem;
}
