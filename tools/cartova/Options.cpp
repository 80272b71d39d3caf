// Parsing of the cartova tool's options.
#include "Options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iterator>

namespace {

// Above this a rate is not converted to an integer (it could overflow).
constexpr double kLargestRateHz = 1e9;
const char* const kPcmRateList = "use 44100, 48000, 88200, 96000, 176400, 192000, 352800 or 384000";

std::optional<double> ParseNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t begin = 0;
    for (;;) {
        size_t at = text.find(separator, begin);
        parts.push_back(text.substr(begin, at == std::string::npos ? std::string::npos : at - begin));
        if (at == std::string::npos)
            return parts;
        begin = at + 1;
    }
}

// One option argument split into its name and an inline "=value".
struct OptionArg {
    std::string name;
    std::optional<std::string> inlineValue;
};

OptionArg SplitOption(const std::string& arg)
{
    size_t eq = arg.find('=');
    if (arg.rfind("--", 0) != 0 || eq == std::string::npos)
        return {arg, std::nullopt};
    return {arg.substr(0, eq), arg.substr(eq + 1)};
}

// The record options that take a value.
bool IsRecordValueOption(const std::string& name)
{
    static const char* const kNames[] = {
        "--format", "-f", "--rate", "-r", "--dsd", "--bits", "-b", "--duration", "-t", "--pre-record",
        "--pause", "--tracks", "--min-gap", "--album", "--album-artist", "--title", "--artist", "--name", "--folder",
        "--gain", "-g", "--output", "-o", "--compression", "--cover"};
    return std::find(std::begin(kNames), std::end(kNames), name) != std::end(kNames);
}

bool IsSubCommand(const std::string& arg)
{
    return arg == "record" || arg == "devices" || arg == "repair-clicks";
}

// Walks an argument list; each option's value comes inline or from the next argument.
class OptionWalker {
public:
    explicit OptionWalker(const std::vector<std::string>& args, size_t first = 0)
        : m_args(args), m_index(first) {}

    bool Done() const { return m_index >= m_args.size(); }
    size_t Index() const { return m_index; }
    const std::string& Raw() const { return m_args[m_index]; }
    OptionArg Current() const { return SplitOption(m_args[m_index]); }
    void Next() { ++m_index; }

    // The value of the current option; advances past it when it is the next argument.
    std::optional<std::string> Value(const OptionArg& option)
    {
        if (option.inlineValue)
            return option.inlineValue;
        if (m_index + 1 >= m_args.size())
            return std::nullopt;
        return m_args[++m_index];
    }

    // An optional value: only inline, or a following argument that is
    // neither an option nor a sub-command.
    std::optional<std::string> OptionalValue(const OptionArg& option)
    {
        if (option.inlineValue)
            return option.inlineValue;
        if (m_index + 1 < m_args.size()) {
            const std::string& next = m_args[m_index + 1];
            if (!next.empty() && next[0] != '-' && !IsSubCommand(next)) {
                ++m_index;
                return next;
            }
        }
        return std::nullopt;
    }

private:
    const std::vector<std::string>& m_args;
    size_t m_index;
};

ParseResult MissingValue(const std::string& name)
{
    return ParseResult::Error("option " + name + " needs a value");
}

ParseResult BadValue(const std::string& name, const std::string& value, const std::string& expected)
{
    return ParseResult::Error("invalid value '" + value + "' for " + name + ": expected " + expected);
}

// Handles one global option; `handled` tells whether the argument was one.
ParseResult TakeGlobalOption(OptionWalker& walker, GlobalOptions& global, bool& handled)
{
    handled = true;
    OptionArg option = walker.Current();
    if (option.name == "--simulate") {
        global.simulate = true;
        if (auto file = walker.OptionalValue(option))
            global.simulateSource = *file;
        return {};
    }
    if (option.name == "--speed") {
        auto value = walker.Value(option);
        if (!value)
            return MissingValue(option.name);
        auto speed = ParseNumber(*value);
        if (!speed || *speed <= 0.0 || *speed > 1000.0)
            return BadValue(option.name, *value, "a factor above 0 and at most 1000");
        global.speed = *speed;
        return {};
    }
    if (option.name == "--device" || option.name == "-d") {
        auto value = walker.Value(option);
        if (!value)
            return MissingValue(option.name);
        global.device = *value;
        return {};
    }
    if (option.name == "--temp-dir") {
        auto value = walker.Value(option);
        if (!value || value->empty())
            return MissingValue(option.name);
        global.tempDirectory = *value;
        return {};
    }
    handled = false;
    return {};
}

// Handles --help and the global options at the walker's position: returns
// the result to hand back at once (help or a usage error), or nothing, with
// `handled` telling whether the argument was a global option.
std::optional<ParseResult> TakeCommonOption(OptionWalker& walker, GlobalOptions& global, bool& handled)
{
    if (walker.Raw() == "--help" || walker.Raw() == "-h")
        return ParseResult{true, true, {}};
    ParseResult result = TakeGlobalOption(walker, global, handled);
    if (!result.ok)
        return result;
    return std::nullopt;
}

} // namespace

std::optional<double> ParseSeconds(const std::string& text)
{
    std::vector<std::string> parts = Split(text, ':');
    if (parts.size() > 3)
        return std::nullopt;
    double total = 0.0;
    for (size_t i = 0; i < parts.size(); ++i) {
        // No sign anywhere: "-0:01" is not one second.
        if (!parts[i].empty() && (parts[i][0] == '-' || parts[i][0] == '+'))
            return std::nullopt;
        auto value = ParseNumber(parts[i]);
        if (!value || *value < 0.0)
            return std::nullopt;
        // Minutes and seconds after the first field stay below 60.
        if (i > 0 && *value >= 60.0)
            return std::nullopt;
        // Only the last field may have a fraction.
        if (i + 1 < parts.size() && *value != std::floor(*value))
            return std::nullopt;
        total = total * 60.0 + *value;
    }
    return total;
}

std::optional<PauseSpan> ParsePause(const std::string& text)
{
    size_t plus = text.find('+');
    if (plus == std::string::npos)
        return std::nullopt;
    auto at = ParseSeconds(text.substr(0, plus));
    auto length = ParseSeconds(text.substr(plus + 1));
    if (!at || !length || *length <= 0.0)
        return std::nullopt;
    return PauseSpan{*at, *length};
}

std::optional<std::vector<double>> ParseSplits(const std::string& text)
{
    std::vector<double> splits;
    for (const std::string& part : Split(text, ',')) {
        auto value = ParseSeconds(part);
        if (!value || *value <= 0.0 || (!splits.empty() && *value <= splits.back()))
            return std::nullopt;
        splits.push_back(*value);
    }
    return splits;
}

std::optional<uint32_t> ParseTrackCount(const std::string& text)
{
    if (text.empty())
        return 0;
    if (text[0] != '=' || text.size() < 2 || text.size() > 3 ||
        !std::all_of(text.begin() + 1, text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto count = static_cast<uint32_t>(std::stoul(text.substr(1)));
    if (count == 0)
        return std::nullopt;
    return count;
}

std::optional<uint64_t> ParseDsdRate(const std::string& text)
{
    if (text == "64" || text == "DSD64" || text == "dsd64" || text == "2822400")
        return 2822400;
    if (text == "128" || text == "DSD128" || text == "dsd128" || text == "5644800")
        return 5644800;
    if (text == "256" || text == "DSD256" || text == "dsd256" || text == "11289600")
        return 11289600;
    return std::nullopt;
}

std::optional<ClickRepairLevel> ParseClickRepairLevel(const std::string& text)
{
    if (text == "low")
        return ClickRepairLevel::Low;
    if (text == "normal")
        return ClickRepairLevel::Normal;
    if (text == "high")
        return ClickRepairLevel::High;
    return std::nullopt;
}

ParseResult ParseLeadingGlobalOptions(const std::vector<std::string>& args, GlobalOptions& global,
                                      size_t& next)
{
    OptionWalker walker(args);
    for (; !walker.Done(); walker.Next()) {
        bool handled = false;
        if (auto done = TakeCommonOption(walker, global, handled))
            return *done;
        if (!handled)
            break;
    }
    next = walker.Index();
    return {};
}

ParseResult ParseDevicesOptions(const std::vector<std::string>& args, GlobalOptions& global)
{
    for (OptionWalker walker(args); !walker.Done(); walker.Next()) {
        bool handled = false;
        if (auto done = TakeCommonOption(walker, global, handled))
            return *done;
        if (!handled)
            return ParseResult::Error("unknown option '" + walker.Raw() + "'");
    }
    return {};
}

ParseResult ParseRecordOptions(const std::vector<std::string>& args, GlobalOptions& global,
                               RecordOptions& options)
{
    std::optional<uint64_t> pcmRate;
    std::optional<uint64_t> dsdRate;
    for (OptionWalker walker(args); !walker.Done(); walker.Next()) {
        bool handled = false;
        if (auto done = TakeCommonOption(walker, global, handled))
            return *done;
        if (handled)
            continue;

        OptionArg option = walker.Current();
        const std::string& name = option.name;
        if (name == "--overwrite") {
            options.overwrite = true;
            continue;
        }
        if (name == "--flac") {
            options.format = RecordFormat::Pcm;
            options.flac = true;
            continue;
        }
        if (name == "--repair-clicks") {
            // The level only inline, so that a following argument is never taken for it.
            options.repairClicks = ParseClickRepairLevel(option.inlineValue.value_or("normal"));
            if (!options.repairClicks)
                return BadValue(name, *option.inlineValue, "low, normal or high");
            continue;
        }
        if (name.empty() || name[0] != '-')
            return ParseResult::Error("unexpected argument '" + walker.Raw() + "'");
        if (!IsRecordValueOption(name))
            return ParseResult::Error("unknown option '" + name + "'");
        auto value = walker.Value(option);
        if (!value)
            return MissingValue(name);

        if (name == "--format" || name == "-f") {
            options.flac = *value == "flac";
            if (*value == "pcm" || *value == "wav" || *value == "flac")
                options.format = RecordFormat::Pcm;
            else if (*value == "dsd" || *value == "dsf")
                options.format = RecordFormat::Dsd;
            else
                return BadValue(name, *value, "pcm, flac or dsd");
        } else if (name == "--rate" || name == "-r") {
            auto rate = ParseNumber(*value);
            if (!rate || *rate < 1.0 || *rate != std::floor(*rate))
                return BadValue(name, *value, "a sampling rate in Hz");
            // A rate far beyond any device is named as typed, not converted.
            if (*rate > kLargestRateHz)
                return ParseResult::Error("unsupported PCM rate " + *value + " Hz: " + kPcmRateList);
            pcmRate = static_cast<uint64_t>(*rate);
        } else if (name == "--dsd") {
            dsdRate = ParseDsdRate(*value);
            if (!dsdRate)
                return BadValue(name, *value, "64, 128 or 256");
            options.format = RecordFormat::Dsd;
        } else if (name == "--bits" || name == "-b") {
            if (*value != "16" && *value != "24")
                return BadValue(name, *value, "16 or 24");
            options.bits = static_cast<uint16_t>(std::stoi(*value));
        } else if (name == "--duration" || name == "-t") {
            auto seconds = ParseSeconds(*value);
            if (!seconds || *seconds <= 0.0)
                return BadValue(name, *value, "a positive time such as 90, 1:30 or 0.5");
            options.duration = *seconds;
        } else if (name == "--pre-record") {
            auto seconds = ParseSeconds(*value);
            if (!seconds)
                return BadValue(name, *value, "a time such as 5 or 0:05");
            options.preRecord = *seconds;
        } else if (name == "--pause") {
            auto pause = ParsePause(*value);
            if (!pause)
                return BadValue(name, *value, "AT+LENGTH, e.g. 10+5");
            if (!options.pauses.empty() && pause->at <= options.pauses.back().at)
                return ParseResult::Error("pauses must be given in ascending order of time");
            options.pauses.push_back(*pause);
        } else if (name == "--tracks") {
            if (value->rfind("auto", 0) == 0) {
                auto count = ParseTrackCount(value->substr(4));
                if (!count)
                    return BadValue(name, *value, "auto, or auto=N with N from 1 to 99 tracks");
                options.autoTracks = true;
                options.trackCount = *count;
                options.splits.clear();
                continue;
            }
            auto splits = ParseSplits(*value);
            if (!splits)
                return BadValue(name, *value, "ascending times such as 3:10,7:45, auto or auto=N");
            options.splits = *splits;
            options.autoTracks = false;
        } else if (name == "--min-gap") {
            auto seconds = ParseSeconds(*value);
            if (!seconds || *seconds <= 0.0)
                return BadValue(name, *value, "a positive time such as 1 or 2.5");
            options.minGap = *seconds;
        } else if (name == "--album") {
            options.album = *value;
        } else if (name == "--album-artist") {
            options.albumArtist = *value;
        } else if (name == "--title") {
            options.titles.push_back(*value);
        } else if (name == "--artist") {
            options.artists.push_back(*value);
        } else if (name == "--name") {
            options.names.push_back(*value);
        } else if (name == "--folder") {
            options.folderName = *value;
        } else if (name == "--gain" || name == "-g") {
            auto gain = ParseNumber(*value);
            if (!gain || *gain < -60.0 || *gain > 24.0)
                return BadValue(name, *value, "a gain in dB from -60 to 24");
            options.gain = *gain;
        } else if (name == "--output" || name == "-o") {
            options.destination = *value;
        } else if (name == "--compression") {
            if (value->size() != 1 || (*value)[0] < '0' || (*value)[0] > '8')
                return BadValue(name, *value, "a level from 0 to 8");
            options.compression = static_cast<uint32_t>((*value)[0] - '0');
        } else if (name == "--cover") {
            options.cover = *value;
        }
    }

    if (options.minGap && !options.autoTracks)
        return ParseResult::Error("--min-gap is for --tracks auto");
    if (options.flac && options.format == RecordFormat::Dsd)
        return ParseResult::Error("FLAC is for PCM recordings only; DSD recordings are written as DSF files");
    if (!options.flac && (options.compression || !options.cover.empty()))
        return ParseResult::Error(std::string(options.compression ? "--compression" : "--cover") +
                                  " is for FLAC files (-f flac)");
    if (options.format == RecordFormat::Dsd) {
        if (options.repairClicks)
            return ParseResult::Error("--repair-clicks is for PCM recordings: DSD bits are not edited");
        if (pcmRate)
            return ParseResult::Error("--rate is for PCM; give the DSD rate with --dsd 64|128|256");
        options.rate = dsdRate.value_or(2822400);
    } else {
        options.rate = pcmRate.value_or(96000);
        static constexpr uint64_t kPcmRates[] = {44100, 48000, 88200, 96000, 176400, 192000, 352800, 384000};
        if (std::find(std::begin(kPcmRates), std::end(kPcmRates), options.rate) == std::end(kPcmRates))
            return ParseResult::Error("unsupported PCM rate " + std::to_string(options.rate) + " Hz: " +
                                      kPcmRateList);
    }
    return {};
}
