// The tool's sub-commands. Each returns the process exit code:
// 0 success, 1 failure, 2 usage error.
#pragma once

#include <string>
#include <vector>

#include "Options.h"

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int RunDevicesCommand(const std::vector<std::string>& args, GlobalOptions global);
int RunRecordCommand(const std::vector<std::string>& args, GlobalOptions global);
int RunRepairCommand(const std::vector<std::string>& args, GlobalOptions global);
int RunRecoverCommand(const std::vector<std::string>& args, GlobalOptions global);

class Session;
// Ctrl-C and SIGTERM stop the recording or cancel the write that runs.
void CatchInterrupts();
// The checks of the destination done before recording (names, folders,
// cover, existing files) for tracks up to horizon seconds; a message, or empty.
std::string CheckWriteOptions(const RecordOptions& options, const std::string& extension, const std::string& date,
                              double horizon);
// Writes the current recording of `recorded` seconds as track files (after
// finding the gaps for --tracks auto and the clicks for --repair-clicks) and
// returns the exit code.
int WriteRecording(Session& session, RecordOptions& options, double recorded, const std::string& extension,
                   const std::string& date);

extern const char* const kDevicesHelp;
extern const char* const kRecordHelp;
extern const char* const kRepairHelp;
extern const char* const kRecoverHelp;
