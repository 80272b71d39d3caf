// The one engine of the process.
#include "EngineInstance.h"

#include "device/SystemAudioBackend.h"
#include "engine/ToolkitManager.h"

ToolkitManager& GetEngineInstance()
{
    // Constructed thread-safely on first use; destroyed with the other
    // static objects at exit, which stops a running capture and deletes the
    // recording's temporary files.
    static ToolkitManager engine = [] {
        // The back-end is made first: it fills in the device problem, and
        // the order in which constructor arguments are evaluated is unspecified.
        std::string problem;
        AudioBackend backend = CreateSystemAudioBackend(&problem);
        return ToolkitManager(std::move(backend), std::move(problem));
    }();
    return engine;
}
