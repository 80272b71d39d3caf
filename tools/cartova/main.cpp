// cartova: records from the turntable and writes track files, without a display.
#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"

namespace {

const char* const kHelp =
    "usage: cartova [--simulate [FILE]] [--speed N] <command> [options]\n"
    "\n"
    "Commands:\n"
    "  devices   list the turntables and what they can record\n"
    "  record    record, then write the tracks as WAV or DSF files\n"
    "  repair-clicks IN.wav OUT.wav   repair the clicks, pops and crackle of a WAV file\n"
    "  recover   list, write or discard recordings left by a program that died\n"
    "\n"
    "Run 'cartova <command> --help' for a command's options.\n";

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    GlobalOptions global;
    size_t next = 0;
    ParseResult parsed = ParseLeadingGlobalOptions(args, global, next);
    if (parsed.help) {
        std::fputs(kHelp, stdout);
        return kExitSuccess;
    }
    if (!parsed.ok) {
        std::fprintf(stderr, "cartova: %s\n", parsed.error.c_str());
        return kExitUsage;
    }
    if (next >= args.size()) {
        std::fprintf(stderr, "cartova: no command given\n%s", kHelp);
        return kExitUsage;
    }
    std::string command = args[next];
    std::vector<std::string> rest(args.begin() + static_cast<long>(next) + 1, args.end());
    if (command == "devices")
        return RunDevicesCommand(rest, global);
    if (command == "record")
        return RunRecordCommand(rest, global);
    if (command == "recover")
        return RunRecoverCommand(rest, global);
    if (command == "repair-clicks")
        return RunRepairCommand(rest, global);
    if (command == "help") {
        std::fputs(kHelp, stdout);
        return kExitSuccess;
    }
    std::fprintf(stderr, "cartova: unknown command '%s'\n%s", command.c_str(), kHelp);
    return kExitUsage;
}
