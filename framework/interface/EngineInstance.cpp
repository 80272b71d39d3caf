// The one engine of the process.
#include "EngineInstance.h"

#include "device/SystemAudioBackend.h"
#include "engine/ToolkitManager.h"

ToolkitManager& GetEngineInstance()
{
    // Constructed thread-safely on first use; destroyed with the other
    // static objects at exit, which stops a running capture and deletes the
    // recording's temporary files.
    static std::string problem;
    static ToolkitManager engine(CreateSystemAudioBackend(&problem), problem);
    return engine;
}
