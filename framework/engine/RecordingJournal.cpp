// The engine's journal of its current recording (see RecordingJournal.h).
#include "engine/RecordingJournal.h"

#include "platform/Trace.h"
#include "storage/RecordData.h"

std::vector<std::vector<JournalTempFile>> JournalFilesOf(
    const std::vector<std::vector<std::pair<uint64_t, std::string>>>& starts)
{
    std::vector<std::vector<JournalTempFile>> files;
    for (const auto& channel : starts) {
        files.emplace_back();
        for (const auto& [start, path] : channel) {
            const size_t slash = path.rfind('/');
            files.back().push_back({start, slash == std::string::npos ? path : path.substr(slash + 1)});
        }
    }
    return files;
}

bool RecordingJournal::Begin(const std::string& folder, const JournalContents& format)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_contents = format;
    m_contents.files.assign(format.channels, {});
    if (m_file.Create(folder, m_contents))
        return true;
    TRACE("no recovery journal for this recording: errno %d", errno);
    return false;
}

void RecordingJournal::Adopt(JournalFile&& file, const JournalContents& contents)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_file.Close();
    m_file = std::move(file);
    m_contents = contents;
}

void RecordingJournal::Update(RecordData& data, const RecordRangeList& ranges, uint64_t syncedBytes, bool stopped)
{
    std::vector<std::vector<JournalTempFile>> files = JournalFilesOf(data.GetFileStarts());
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_file.IsOpen())
        return;
    m_contents.files = std::move(files);
    m_contents.files.resize(m_contents.channels);
    m_contents.ranges = ranges;
    m_contents.syncedBytes = syncedBytes;
    m_contents.stopped = stopped;
    m_file.Update(m_contents);
}

bool RecordingJournal::SetNotes(const std::vector<double>& markers, const std::vector<std::string>& names)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_file.IsOpen())
        return false;
    m_contents.markers = markers;
    m_contents.names = names;
    return m_file.Update(m_contents);
}

bool RecordingJournal::GetNotes(std::vector<double>& markers, std::vector<std::string>& names)
{
    std::lock_guard<std::mutex> guard(m_lock);
    markers = m_contents.markers;
    names = m_contents.names;
    return m_file.IsOpen();
}

void RecordingJournal::Remove()
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_file.IsOpen() && !m_file.Remove())
        TRACE("cannot remove the recovery journal: errno %d", errno);
}

void RecordingJournal::Close()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_file.Close();
}

bool RecordingJournal::IsOpen()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_file.IsOpen();
}

std::string RecordingJournal::Id()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_file.IsOpen() ? m_file.Id() : std::string();
}
