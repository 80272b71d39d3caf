// Diagnostic logging: syslog always, stderr as well when the environment
// variable CARTOVA_TRACE_STDERR is set.
#include "platform/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <syslog.h>

namespace {

bool TraceToStderr()
{
    return std::getenv("CARTOVA_TRACE_STDERR") != nullptr;
}

std::string FormatVariadic(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0) {
        return std::string();
    }
    std::string text(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<size_t>(needed));
    return text;
}

} // namespace

void OutputDebugString(const char* text)
{
    if (text == nullptr) {
        return;
    }
    syslog(LOG_USER | LOG_INFO, "%s", text);
    if (TraceToStderr()) {
        std::fprintf(stderr, "%s\n", text);
    }
}

void Trace(const char* file, int line, const char* format, ...)
{
    std::string text;
    if (format != nullptr) {
        va_list args;
        va_start(args, format);
        text = FormatVariadic(format, args);
        va_end(args);
    }
    const char* source = file != nullptr ? file : "";
    syslog(LOG_USER | LOG_INFO, "%s(%d): %s", source, line, text.c_str());
    if (TraceToStderr()) {
        std::fprintf(stderr, "%s(%d): %s\n", source, line, text.c_str());
    }
}
