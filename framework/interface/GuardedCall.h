// Runs one exported call on the process-wide engine and lets no exception
// cross the C interface: an exception becomes TkErrorFailed.
#pragma once

#include "EngineInstance.h"
#include "cartova.h"
#include "engine/ToolkitManager.h"
#include "platform/Trace.h"

#include <exception>

template <class Call>
TkError Guarded(const char* name, Call&& call) noexcept
{
    try {
        return call(GetEngineInstance());
    } catch (const std::exception& e) {
        TRACE("%s failed: %s", name, e.what());
    } catch (...) {
        TRACE("%s failed", name);
    }
    return TkErrorFailed;
}
