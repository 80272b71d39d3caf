// Listing and measuring the journalled recordings of a temporary folder.
#include "recovery/RecoveryCatalog.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <sys/stat.h>

#include "recovery/JournalFile.h"

namespace {

std::vector<std::string> JournalIds(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> ids;
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::string id;
        if (ParseJournalFileName(it->path().filename().string(), id))
            ids.push_back(id);
    }
    return ids;
}

std::string DescribeSeconds(uint64_t bytes, const JournalContents& c)
{
    const uint64_t samples = bytes * 8 / c.bitsPerSample;
    return std::to_string(samples / c.sampleRate) + " s";
}

} // namespace

uint32_t JournalBytesPerFrame(const JournalContents& contents)
{
    return contents.isDsd ? 2u : std::max<uint32_t>(1u, contents.bitsPerSample / 8u);
}

uint64_t RecoverableRecording::RecoverableSamples() const
{
    return contents.bitsPerSample == 0 ? 0 : recoverableBytes * 8 / contents.bitsPerSample;
}

double RecoverableRecording::RecoverableSeconds() const
{
    return contents.sampleRate == 0 ? 0.0 : double(RecoverableSamples()) / double(contents.sampleRate);
}

void MeasureRecording(RecoverableRecording& recording)
{
    const JournalContents& c = recording.contents;
    recording.missing.clear();
    uint64_t shortest = std::numeric_limits<uint64_t>::max();
    for (size_t channel = 0; channel < c.files.size(); ++channel) {
        uint64_t end = 0;
        for (const JournalTempFile& file : c.files[channel]) {
            struct stat info {};
            const std::string path = recording.folder + "/" + file.name;
            if (file.start != end) {
                recording.missing.push_back("channel " + std::to_string(channel + 1) + " ends early, before " +
                                            file.name);
                break;
            }
            if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
                recording.missing.push_back(file.name + " (channel " + std::to_string(channel + 1) + ") is gone");
                break;
            }
            end = file.start + uint64_t(info.st_size);
        }
        shortest = std::min(shortest, end);
    }
    if (c.files.empty())
        shortest = 0;
    shortest -= shortest % JournalBytesPerFrame(c);
    recording.recoverableBytes = shortest;
    if (shortest < c.syncedBytes)
        recording.missing.push_back(DescribeSeconds(c.syncedBytes - shortest, c) + " of the " +
                                    DescribeSeconds(c.syncedBytes, c) + " on record are missing");
}

std::vector<RecoverableRecording> ListRecordings(const std::string& folder)
{
    std::vector<RecoverableRecording> list;
    for (const std::string& id : JournalIds(folder)) {
        RecoverableRecording recording;
        recording.id = id;
        recording.folder = folder;
        const std::string path = folder + "/" + JournalFileName(id);
        if (PeekJournal(path, recording.contents, recording.problem, recording.inUse))
            MeasureRecording(recording);
        else if (!recording.inUse && recording.problem == JournalProblem::None)
            continue; // gone meanwhile
        list.push_back(std::move(recording));
    }
    std::sort(list.begin(), list.end(), [](const RecoverableRecording& a, const RecoverableRecording& b) {
        if (a.contents.startedUnix != b.contents.startedUnix)
            return a.contents.startedUnix > b.contents.startedUnix;
        return a.id > b.id;
    });
    return list;
}

std::set<std::string> JournalledTempFileNames(const std::string& folder, bool& keepAll)
{
    keepAll = false;
    std::set<std::string> names;
    for (const std::string& id : JournalIds(folder)) {
        JournalContents contents;
        JournalProblem problem = JournalProblem::None;
        bool inUse = false;
        if (!PeekJournal(folder + "/" + JournalFileName(id), contents, problem, inUse)) {
            // A torn journal of this version is not trusted: its files are orphans.
            if (inUse || problem == JournalProblem::Newer)
                keepAll = true;
            continue;
        }
        RecoverableRecording recording;
        recording.folder = folder;
        recording.contents = contents;
        MeasureRecording(recording);
        if (recording.recoverableBytes == 0) {
            // Killed before anything reached the disk: nothing to keep.
            JournalFile empty;
            JournalProblem ignored = JournalProblem::None;
            if (empty.Claim(folder, id, contents, ignored) == ClaimResult::Claimed)
                empty.Remove();
            continue;
        }
        for (const std::vector<JournalTempFile>& channel : contents.files) {
            for (const JournalTempFile& file : channel)
                names.insert(file.name);
        }
    }
    return names;
}
