// "cartova devices": the usable turntables and what each can record.
#include <cstdio>
#include <string>

#include "Commands.h"
#include "Messages.h"
#include "Session.h"

const char* const kDevicesHelp =
    "usage: cartova devices [--verbose] [--simulate [FILE]] [--device NAME]\n"
    "\n"
    "Lists the turntables found, with their channels, PCM and DSD rates and bits.\n"
    "CARTOVA_DEVICE=alsa:PCM in the environment records from that ALSA PCM instead.\n"
    "\n"
    "  -v, --verbose      also list every audio device found and why the others\n"
    "                     were left out\n"
    "  --simulate [FILE]  use the simulated turntable (its demo album, or FILE)\n"
    "  --device NAME      describe only this device\n"
    "  -h, --help         show this help\n";

namespace {

std::string JoinRates(const uint32_t* rates, size_t count)
{
    std::string text;
    for (size_t i = 0; i < count; ++i)
        text += (i ? ", " : "") + std::to_string(rates[i]);
    return text.empty() ? "none" : text + " Hz";
}

void PrintDevice(const TkAudioDeviceInfo& info)
{
    std::printf("%s\n", info.device_name);
    std::printf("  USB id:   %04x:%04x\n", static_cast<unsigned>(info.vid), static_cast<unsigned>(info.pid));
    std::printf("  channels: %u in, %u out\n", info.i_ch, info.o_ch);
    std::printf("  PCM:      %s; %u bits in %u-bit samples\n",
                JoinRates(info.PCM_supported_freq, info.PCM_supported_freq_count).c_str(),
                info.PCM_supported_bits, info.PCM_record_bits);
    std::printf("  DSD:      %s\n", JoinRates(info.DSD_supported_freq, info.DSD_supported_freq_count).c_str());
}

} // namespace

int RunDevicesCommand(const std::vector<std::string>& arguments, GlobalOptions global)
{
    bool verbose = false;
    std::vector<std::string> args;
    for (const std::string& arg : arguments) {
        if (arg == "-v" || arg == "--verbose")
            verbose = true;
        else
            args.push_back(arg);
    }
    ParseResult parsed = ParseDevicesOptions(args, global);
    if (parsed.help) {
        std::fputs(kDevicesHelp, stdout);
        return kExitSuccess;
    }
    if (!parsed.ok) {
        std::fprintf(stderr, "cartova devices: %s\n%s", parsed.error.c_str(), kDevicesHelp);
        return kExitUsage;
    }

    if (std::string problem = CheckSimulatedRecord(global); !problem.empty()) {
        std::fprintf(stderr, "cartova devices: %s\n", problem.c_str());
        return kExitUsage;
    }

    Session& session = ProcessSession();
    if (TkError error = session.Init(global); error != TkErrorSuccess) {
        std::fprintf(stderr, "cartova: cannot initialise the framework: %s\n", DescribeError(error).c_str());
        return kExitFailure;
    }
    // A simulated turntable told to play a file it cannot play offers no
    // device; the reason is the user's to fix.
    if (std::string problem = DeviceProblem(); !problem.empty()) {
        std::fprintf(stderr, "cartova devices: %s\n", problem.c_str());
        return kExitUsage;
    }

    if (verbose) {
        char* report = nullptr;
        if (TkError error = Cartova_GetAudioDeviceReport(&report); error != TkErrorSuccess) {
            std::fprintf(stderr, "cartova: cannot list audio devices: %s\n", DescribeError(error).c_str());
            return kExitFailure;
        }
        std::printf("Audio devices found:\n%s\n", report);
        Cartova_ReleaseAudioDeviceReport(report);
    }

    TkDeviceNameList* list = nullptr;
    if (TkError error = Cartova_GetAudioDevices(&list); error != TkErrorSuccess) {
        std::fprintf(stderr, "cartova: cannot list audio devices: %s\n", DescribeError(error).c_str());
        return kExitFailure;
    }
    int result = kExitSuccess;
    size_t shown = 0;
    for (size_t i = 0; i < list->count; ++i) {
        const char* name = list->names[i];
        if (!global.device.empty() && global.device != name)
            continue;
        TkAudioDeviceInfo* info = nullptr;
        TkError error = Cartova_SetAudioDevice(name);
        if (error == TkErrorSuccess)
            error = Cartova_GetAudioDeviceInfo(&info);
        if (error != TkErrorSuccess) {
            std::fprintf(stderr, "cartova: cannot open %s: %s\n", name, DescribeError(error).c_str());
            result = kExitFailure;
            continue;
        }
        PrintDevice(*info);
        Cartova_ReleaseAudioDeviceInfo(info);
        ++shown;
    }
    Cartova_ReleaseAudioDevices(list);

    if (shown == 0 && result == kExitSuccess) {
        if (global.device.empty())
            std::fprintf(stderr, "cartova: no turntable found (connect it, or use --simulate)\n");
        else
            std::fprintf(stderr, "cartova: no turntable named '%s'\n", global.device.c_str());
        return kExitFailure;
    }
    return result;
}
