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

extern const char* const kDevicesHelp;
extern const char* const kRecordHelp;
extern const char* const kRepairHelp;
