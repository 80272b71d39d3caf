// Opening a 30-minute stereo DSD256 recording left by a dead program:
// claiming and checking its journal, measuring its files and taking them
// over as the record data (the samples are not read or copied), beside the
// cost of one journal update (what the recording thread pays once a second)
// and, as the anchor, a plain write and fsync of the same journal bytes to a
// new file. The files are sparse (only their lengths matter to the open).
// Medians of --runs=N (default 21) runs; the folder is --dir=PATH (default
// the system's temporary folder).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "convert/SampleTypeInfo.h"
#include "recovery/JournalFile.h"
#include "recovery/RecoveryCatalog.h"
#include "storage/RecordData.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kRate = 11289600;                        // DSD256, one-bit samples a second
constexpr uint64_t kChannelBytes = kRate / 8 * 30 * 60;     // 30 minutes of one channel
constexpr uint64_t kFileBytes = uint64_t(1) << 30;          // the temporary files' limit
constexpr uint64_t kChunkBytes = kRate * 5 / 8;             // five seconds

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <class F>
double Milliseconds(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

JournalContents MakeRecording(const fs::path& folder)
{
    JournalContents c;
    c.startedUnix = 1796000000;
    c.sampleType = 1;
    c.isDsd = true;
    c.channels = 2;
    c.sampleRate = kRate;
    c.bitsPerSample = 1;
    c.fileBits = 1;
    c.chunkBytes = kChunkBytes;
    c.syncedBytes = kChannelBytes;
    c.stopped = true;
    c.ranges = {{0, kRate * 1800 / 64}};
    for (int channel = 0; channel < 2; ++channel) {
        c.files.emplace_back();
        for (uint64_t start = 0; start < kChannelBytes; start += kFileBytes) {
            const std::string name = "tmp" + std::to_string(100000 + channel * 100 + start / kFileBytes);
            const int fd = open((folder / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd < 0 || ftruncate(fd, off_t(std::min(kFileBytes, kChannelBytes - start))) != 0)
                std::perror("cannot create a sparse file");
            close(fd);
            c.files.back().push_back({start, name});
        }
    }
    return c;
}

// Claims, checks, measures and takes the recording over; false when anything fails.
bool OpenRecording(const fs::path& folder, const std::string& id)
{
    JournalFile journal;
    RecoverableRecording recording;
    recording.folder = folder.string();
    JournalProblem problem = JournalProblem::None;
    if (journal.Claim(recording.folder, id, recording.contents, problem) != ClaimResult::Claimed)
        return false;
    MeasureRecording(recording);
    const JournalContents& c = recording.contents;
    std::vector<std::vector<TemporaryFile>> files(c.channels);
    for (size_t channel = 0; channel < c.files.size(); ++channel) {
        const auto& named = c.files[channel];
        for (size_t i = 0; i < named.size(); ++i) {
            const uint64_t end = i + 1 < named.size() ? named[i + 1].start : recording.recoverableBytes;
            files[channel].emplace_back();
            if (files[channel].back().Adopt(recording.folder + "/" + named[i].name, named[i].start,
                                            end - named[i].start) != TkErrorSuccess)
                return false;
        }
    }
    RecordData data;
    RecordRangeManager ranges;
    if (data.Adopt(c.sampleRate, c.bitsPerSample, true, GetSampleTypeInfo(c.sampleType), &ranges, c.chunkBytes,
                   std::move(files), recording.recoverableBytes) != TkErrorSuccess)
        return false;
    const bool whole = data.GetLength(true) == kChannelBytes * 8;
    data.KeepFiles();
    return whole;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 21;
    fs::path base = fs::temp_directory_path();
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--runs=", 7) == 0)
            runs = std::max(1, std::atoi(argv[i] + 7));
        else if (std::strncmp(argv[i], "--dir=", 6) == 0)
            base = argv[i] + 6;
    }
    std::string pattern = (base / "bench-recovery-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = pattern;
    const JournalContents contents = MakeRecording(folder);
    JournalFile owner;
    if (!owner.Create(folder.string(), contents)) {
        std::perror("cannot write the journal");
        return 1;
    }
    const std::string id = owner.Id();
    const std::vector<uint8_t> bytes = EncodeJournal(contents);

    std::vector<double> opening, update, anchor;
    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        update.push_back(Milliseconds([&] { ok = owner.Update(contents) && ok; }));
        anchor.push_back(Milliseconds([&] {
            const std::string path = (folder / "plain-write").string();
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ok = fd >= 0 && write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size()) && fsync(fd) == 0 && ok;
            close(fd);
        }));
        owner.Close();
        opening.push_back(Milliseconds([&] { ok = OpenRecording(folder, id) && ok; }));
        JournalProblem problem = JournalProblem::None;
        JournalContents again;
        ok = owner.Claim(folder.string(), id, again, problem) == ClaimResult::Claimed && ok;
    }
    owner.Close();
    fs::remove_all(folder);
    std::printf("cores %u, %d runs, journal %zu bytes, %zu files of a 30-minute stereo DSD256 recording\n",
                std::max(1u, unsigned(sysconf(_SC_NPROCESSORS_ONLN))), runs, bytes.size(),
                contents.files[0].size() * 2);
    std::printf("open (claim, check, measure, take over)  median %.3f ms  max %.3f ms\n", Median(opening),
                *std::max_element(opening.begin(), opening.end()));
    std::printf("journal update (new copy, fsync, rename, fsync folder)  median %.3f ms\n", Median(update));
    std::printf("anchor: plain write + fsync of the same bytes  median %.3f ms\n", Median(anchor));
    return ok ? 0 : 1;
}
