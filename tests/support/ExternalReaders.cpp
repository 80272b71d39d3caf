// Running the external readers and parsing what they print.
#include "ExternalReaders.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace saving {

namespace {

// Single-quotes a word for the shell.
std::string Quote(const std::string& word)
{
    std::string quoted = "'";
    for (char c : word) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

uint32_t ReadLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::string FromHex(const std::string& hex)
{
    std::string text;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return text;
}

// Decodes into a raw file next to the source, reads it back and removes it.
bool DecodeToRaw(const std::string& command, const std::string& rawPath, std::vector<uint8_t>& bytes)
{
    std::string output;
    const bool ok = RunCommand(command, output);
    bytes = ReadFileBytes(rawPath);
    std::remove(rawPath.c_str());
    return ok && !bytes.empty();
}

// Runs one of the mutagen scripts in tests/support on path; each line it prints, split at
// its first space (lines without one are left out). False when the script fails.
bool RunMutagenScript(const std::string& script, const std::string& path,
                      std::vector<std::pair<std::string, std::string>>& lines)
{
    // The system's Python: the one that has mutagen installed.
    const std::string file = std::string(CARTOVA_SOURCE_DIR) + "/tests/support/" + script;
    std::string output;
    lines.clear();
    if (!RunCommand("/usr/bin/python3 " + Quote(file) + " " + Quote(path), output)) {
        return false;
    }
    std::istringstream text(output);
    std::string line;
    while (std::getline(text, line)) {
        const size_t space = line.find(' ');
        if (space != std::string::npos) {
            lines.emplace_back(line.substr(0, space), line.substr(space + 1));
        }
    }
    return true;
}

} // namespace

bool RunCommand(const std::string& command, std::string& output)
{
    output.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, n);
    }
    return pclose(pipe) == 0;
}

std::map<std::string, std::string> Probe(const std::string& path)
{
    std::map<std::string, std::string> fields;
    std::string output;
    const std::string command =
        "ffprobe -v error -select_streams a:0 "
        "-show_entries stream=codec_name,sample_rate,channels,bits_per_sample:format=format_name,duration:"
        "format_tags -of default=noprint_wrappers=1 " +
        Quote(path);
    if (!RunCommand(command, output)) {
        return fields;
    }
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) {
            fields[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return fields;
}

bool DecodeWithSox(const std::string& path, std::vector<int32_t>& samples)
{
    const std::string raw = path + ".sox.raw";
    std::vector<uint8_t> bytes;
    if (!DecodeToRaw("sox " + Quote(path) + " -t raw -e signed-integer -b 32 -L " + Quote(raw), raw, bytes)) {
        return false;
    }
    samples.resize(bytes.size() / 4);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int32_t>(ReadLE32(bytes.data() + 4 * i));
    }
    return true;
}

bool DecodeWithFfmpeg(const std::string& path, std::vector<float>& samples)
{
    const std::string raw = path + ".ffmpeg.raw";
    std::vector<uint8_t> bytes;
    if (!DecodeToRaw("ffmpeg -v error -y -i " + Quote(path) + " -f f32le -c:a pcm_f32le " + Quote(raw), raw,
                     bytes)) {
        return false;
    }
    samples.resize(bytes.size() / 4);
    for (size_t i = 0; i < samples.size(); ++i) {
        const uint32_t word = ReadLE32(bytes.data() + 4 * i);
        std::memcpy(&samples[i], &word, sizeof word);
    }
    return true;
}

bool ReadId3WithMutagen(const std::string& path, std::map<std::string, std::string>& frames)
{
    std::vector<std::pair<std::string, std::string>> lines;
    if (!RunMutagenScript("id3_frames.py", path, lines)) {
        return false;
    }
    frames.clear();
    for (const auto& [id, value] : lines) {
        frames[id] = id == "VERSION" ? value : FromHex(value);
    }
    return true;
}

std::multimap<std::string, std::string> ReadFlacWithMutagen(const std::string& path)
{
    std::multimap<std::string, std::string> facts;
    std::vector<std::pair<std::string, std::string>> lines;
    RunMutagenScript("flac_blocks.py", path, lines);
    for (const auto& [kind, rest] : lines) {
        const size_t field = rest.find(' ');
        if (kind == "COMMENT" && field != std::string::npos) {
            facts.emplace(kind + " " + rest.substr(0, field), FromHex(rest.substr(field + 1)));
        } else {
            facts.emplace(kind, rest);
        }
    }
    return facts;
}

bool ReadRiffInfo(const std::string& path, std::map<std::string, std::vector<uint8_t>>& chunks)
{
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0) {
        return false;
    }
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint8_t* chunk = bytes.data() + pos;
        const size_t size = ReadLE32(chunk + 4);
        if (pos + 8 + size > bytes.size()) {
            return false;
        }
        if (std::memcmp(chunk, "LIST", 4) == 0 && size >= 4 && std::memcmp(chunk + 8, "INFO", 4) == 0) {
            size_t sub = pos + 12;
            const size_t end = pos + 8 + size;
            while (sub + 8 <= end) {
                const size_t subSize = ReadLE32(bytes.data() + sub + 4);
                if (sub + 8 + subSize > end) {
                    return false;
                }
                chunks[std::string(reinterpret_cast<const char*>(bytes.data() + sub), 4)] =
                    std::vector<uint8_t>(bytes.begin() + static_cast<long>(sub + 8),
                                         bytes.begin() + static_cast<long>(sub + 8 + subSize));
                sub += 8 + subSize + (subSize & 1);
            }
            return true;
        }
        pos += 8 + size + (size & 1);
    }
    return false;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

} // namespace saving
