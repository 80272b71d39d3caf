// Diagnostic logging of the framework: to syslog, and to stderr when
// CARTOVA_TRACE_STDERR is set in the environment.
#pragma once

// Writes text to the log.
void OutputDebugString(const char* text);

// Formats the arguments and writes "file(line): text" to the log.
void Trace(const char* file, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));

#define TRACE(...) Trace(__FILE__, __LINE__, __VA_ARGS__)
