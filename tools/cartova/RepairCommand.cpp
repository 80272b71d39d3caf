// "cartova repair-clicks": repairs the clicks, pops and crackle of a WAV
// file. The input is mapped and analysed by the framework on every core;
// the output is a byte-for-byte copy of the input (format, LIST/INFO, id3
// and every other chunk) with the repaired samples replaced, written to a
// temporary file beside it and renamed into place, so a failed write never
// leaves a partial file. A recording shorter than one analysis block, or
// one without damage, is copied unchanged.
#include <cstdio>
#include <string>
#include <vector>

#include "Commands.h"
#include "Messages.h"
#include "PcmWavFile.h"
#include "cartova.h"

const char* const kRepairHelp =
    "usage: cartova repair-clicks IN.wav OUT.wav [options]\n"
    "\n"
    "Finds the clicks, pops and crackle of IN.wav and writes OUT.wav with the\n"
    "damaged samples rebuilt from the music around them; nothing else changes.\n"
    "IN.wav: 16 or 24-bit integer or 32-bit float PCM, any rate, mono or stereo.\n"
    "OUT.wav keeps its format and its tags (LIST/INFO, id3).\n"
    "\n"
    "  --sensitivity low|normal|high   how readily a disturbance counts as damage\n"
    "                                  (default normal)\n"
    "  --report                        print the places repaired, per kind\n"
    "  -h, --help                      show this help\n"
    "\n"
    "Exit status: 0 written; 1 the repair or the writing failed (OUT.wav is not\n"
    "created or changed); 2 usage errors and unreadable or unsupported input.\n";

namespace {

struct RepairOptions {
    std::string input;
    std::string output;
    TkClickSensitivity sensitivity = TkClickSensitivityNormal;
    bool report = false;
};

// A usage error, or an empty string.
std::string ParseRepairOptions(const std::vector<std::string>& args, RepairOptions& options, bool& help)
{
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            help = true;
            return {};
        }
        if (arg == "--report") {
            options.report = true;
        } else if (arg == "--sensitivity" || arg.rfind("--sensitivity=", 0) == 0) {
            std::string value;
            if (arg == "--sensitivity") {
                if (i + 1 >= args.size()) {
                    return "option --sensitivity needs a value";
                }
                value = args[++i];
            } else {
                value = arg.substr(arg.find('=') + 1);
            }
            if (value == "low") {
                options.sensitivity = TkClickSensitivityLow;
            } else if (value == "normal") {
                options.sensitivity = TkClickSensitivityNormal;
            } else if (value == "high") {
                options.sensitivity = TkClickSensitivityHigh;
            } else {
                return "invalid value '" + value + "' for --sensitivity: expected low, normal or high";
            }
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return "unknown option '" + arg + "'";
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) {
        return "expected an input and an output file";
    }
    options.input = paths[0];
    options.output = paths[1];
    return {};
}

// The mapped file's samples as the framework reads them.
struct MappedSamples {
    const uint8_t* data;
    WavFormat format;
};

int32_t ReadSamples(void* context, uint16_t channel, uint64_t first, size_t count, float* out)
{
    const auto& samples = *static_cast<const MappedSamples*>(context);
    const WavFormat& format = samples.format;
    if (channel >= format.channels || first + count > format.frames) {
        return -1;
    }
    const uint8_t* p = samples.data + format.dataOffset + first * format.FrameBytes() + channel * format.BytesPerSample();
    LoadWavSamples(p, format.FrameBytes(), count, format.encoding, out);
    return 0;
}

// The repaired frames of every place as byte patches of the file.
std::vector<BytePatch> PatchesFor(const TkClickPlaceList& list, const MappedSamples& samples)
{
    const WavFormat& format = samples.format;
    const size_t frameBytes = format.FrameBytes();
    std::vector<BytePatch> patches;
    for (size_t i = 0; i < list.count; ++i) {
        const TkClickPlace& place = list.places[i];
        if (!place.repaired || place.samples == nullptr) {
            continue;
        }
        BytePatch patch;
        patch.offset = format.dataOffset + place.position * frameBytes;
        const uint8_t* recorded = samples.data + patch.offset;
        patch.bytes.assign(recorded, recorded + static_cast<size_t>(place.length) * frameBytes);
        const float* repaired = place.samples;
        for (uint16_t c = 0; c < format.channels; ++c) {
            if ((place.channel_mask & (1u << c)) == 0) {
                continue;
            }
            for (uint32_t n = 0; n < place.length; ++n) {
                StoreWavSample(patch.bytes.data() + n * frameBytes + c * format.BytesPerSample(), format.encoding,
                               repaired[n]);
            }
            repaired += place.length;
        }
        patches.push_back(std::move(patch));
    }
    return patches;
}

void PrintReport(const TkClickPlaceList& list)
{
    size_t repaired[3] = {0, 0, 0};
    size_t left[3] = {0, 0, 0};
    for (size_t i = 0; i < list.count; ++i) {
        const TkClickPlace& place = list.places[i];
        const auto kind = static_cast<size_t>(place.kind);
        if (kind < 3) {
            ++(place.repaired ? repaired : left)[kind];
        }
    }
    std::printf("repaired: %zu clicks, %zu pops, %zu crackle ticks\n", repaired[TkClickKindClick],
                repaired[TkClickKindPop], repaired[TkClickKindCrackle]);
    std::printf("not repaired (left as recorded): %zu clicks, %zu pops, %zu crackle ticks\n", left[TkClickKindClick],
                left[TkClickKindPop], left[TkClickKindCrackle]);
}

} // namespace

int RunRepairCommand(const std::vector<std::string>& args, GlobalOptions)
{
    RepairOptions options;
    bool help = false;
    if (std::string problem = ParseRepairOptions(args, options, help); !problem.empty()) {
        std::fprintf(stderr, "cartova repair-clicks: %s\n(see cartova repair-clicks --help)\n", problem.c_str());
        return kExitUsage;
    }
    if (help) {
        std::fputs(kRepairHelp, stdout);
        return kExitSuccess;
    }
    MappedFile input;
    if (std::string problem = input.Open(options.input); !problem.empty()) {
        std::fprintf(stderr, "cartova repair-clicks: %s\n", problem.c_str());
        return kExitUsage;
    }
    MappedSamples samples{input.Data(), {}};
    if (std::string problem = ParseWavFormat(input.Data(), input.Size(), samples.format); !problem.empty()) {
        std::fprintf(stderr, "cartova repair-clicks: %s: %s\n", options.input.c_str(), problem.c_str());
        return kExitUsage;
    }
    const TkSampleSource source{&samples, samples.format.sampleRate, samples.format.channels, samples.format.frames,
                                ReadSamples};
    TkClickPlaceList* list = nullptr;
    if (TkError error = Cartova_RepairClicksInSamples(&source, options.sensitivity, &list); error != TkErrorSuccess) {
        std::fprintf(stderr, "cartova repair-clicks: the analysis failed: %s\n", DescribeError(error).c_str());
        return kExitFailure;
    }
    const std::vector<BytePatch> patches = PatchesFor(*list, samples);
    if (options.report) {
        PrintReport(*list);
    }
    Cartova_ReleaseClickPlaces(list);
    if (std::string problem = WriteFileReplacing(options.output, input.Data(), input.Size(), patches);
        !problem.empty()) {
        std::fprintf(stderr, "cartova repair-clicks: %s\n", problem.c_str());
        return kExitFailure;
    }
    return kExitSuccess;
}
