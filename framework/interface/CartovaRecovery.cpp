// The exported recovery calls: listing, opening and discarding recordings
// left by a program that died, and the user's notes in the journal.
#include "GuardedCall.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

TkRecoverableState StateOf(const RecoverableRecording& recording)
{
    if (recording.inUse)
        return TkRecoverableInUse;
    switch (recording.problem) {
    case JournalProblem::None:
        return TkRecoverableReady;
    case JournalProblem::Torn:
        return TkRecoverableDamaged;
    case JournalProblem::Foreign:
    case JournalProblem::Newer:
        break;
    }
    return TkRecoverableNewer;
}

std::string MissingText(const RecoverableRecording& recording)
{
    std::string text;
    for (const std::string& line : recording.missing)
        text += (text.empty() ? "" : "; ") + line;
    return text;
}

void FreeItems(TkRecoverable* items, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        std::free(items[i].id);
        std::free(items[i].folder);
        std::free(items[i].missing);
    }
    std::free(items);
}

TkRecoverableList* CopyRecoverable(const std::vector<RecoverableRecording>& recordings)
{
    auto* list = static_cast<TkRecoverableList*>(std::calloc(1, sizeof(TkRecoverableList)));
    if (list == nullptr)
        return nullptr;
    if (recordings.empty())
        return list;
    list->items = static_cast<TkRecoverable*>(std::calloc(recordings.size(), sizeof(TkRecoverable)));
    if (list->items == nullptr) {
        std::free(list);
        return nullptr;
    }
    list->count = recordings.size();
    for (size_t i = 0; i < recordings.size(); ++i) {
        const RecoverableRecording& from = recordings[i];
        TkRecoverable& to = list->items[i];
        to.id = strdup(from.id.c_str());
        to.folder = strdup(from.folder.c_str());
        to.missing = strdup(MissingText(from).c_str());
        to.started = from.contents.startedUnix;
        to.rec_type = from.contents.isDsd ? 1 : 0;
        to.freq = from.contents.sampleRate;
        to.channels = from.contents.channels;
        to.bits = from.contents.isDsd ? 1 : from.contents.fileBits;
        to.seconds = from.RecoverableSeconds();
        to.state = StateOf(from);
        if (to.id == nullptr || to.folder == nullptr || to.missing == nullptr) {
            FreeItems(list->items, list->count);
            std::free(list);
            return nullptr;
        }
    }
    return list;
}

} // namespace

extern "C" {

CARTOVA_API TkError Cartova_GetRecoverableRecordings(const char* folder, TkRecoverableList** list)
{
    if (list == nullptr)
        return TkErrorInvalidArgument;
    *list = nullptr;
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        std::vector<RecoverableRecording> recordings;
        const TkError result = e.ListRecoverable(folder != nullptr ? folder : "", recordings);
        if (result != TkErrorSuccess)
            return result;
        *list = CopyRecoverable(recordings);
        return *list != nullptr ? TkErrorSuccess : TkErrorFailed;
    });
}

CARTOVA_API void Cartova_ReleaseRecoverableRecordings(TkRecoverableList* list)
{
    if (list == nullptr)
        return;
    FreeItems(list->items, list->count);
    std::free(list);
}

CARTOVA_API TkError Cartova_OpenRecoverableRecording(const char* id)
{
    if (id == nullptr)
        return TkErrorInvalidArgument;
    return Guarded(__func__, [&](ToolkitManager& e) { return e.OpenRecoverable(id); });
}

CARTOVA_API TkError Cartova_DiscardRecoverableRecording(const char* folder, const char* id)
{
    if (id == nullptr)
        return TkErrorInvalidArgument;
    return Guarded(__func__,
                   [&](ToolkitManager& e) { return e.DiscardRecoverable(folder != nullptr ? folder : "", id); });
}

CARTOVA_API TkError Cartova_SetRecordingNotes(const double* markers, size_t marker_count, const char* const* names,
                                              size_t name_count)
{
    if ((markers == nullptr && marker_count != 0) || (names == nullptr && name_count != 0))
        return TkErrorInvalidArgument;
    std::vector<std::string> texts;
    for (size_t i = 0; i < name_count; ++i) {
        if (names[i] == nullptr)
            return TkErrorInvalidArgument;
    }
    return Guarded(__func__, [&](ToolkitManager& e) {
        for (size_t i = 0; i < name_count; ++i)
            texts.emplace_back(names[i]);
        return e.SetRecordingNotes(std::vector<double>(markers, markers + marker_count), texts);
    });
}

CARTOVA_API TkError Cartova_GetRecordingNotes(TkRecordingNotes** notes)
{
    if (notes == nullptr)
        return TkErrorInvalidArgument;
    *notes = nullptr;
    return Guarded(__func__, [&](ToolkitManager& e) -> TkError {
        std::vector<double> markers;
        std::vector<std::string> names;
        const TkError result = e.GetRecordingNotes(markers, names);
        if (result != TkErrorSuccess)
            return result;
        auto* copy = static_cast<TkRecordingNotes*>(std::calloc(1, sizeof(TkRecordingNotes)));
        if (copy == nullptr)
            return TkErrorFailed;
        copy->markers = static_cast<double*>(std::calloc(markers.size() + 1, sizeof(double)));
        copy->names = static_cast<char**>(std::calloc(names.size() + 1, sizeof(char*)));
        bool copied = copy->markers != nullptr && copy->names != nullptr;
        if (copied) {
            std::copy(markers.begin(), markers.end(), copy->markers);
            copy->marker_count = markers.size();
        }
        for (size_t i = 0; copied && i < names.size(); ++i) {
            copy->names[i] = strdup(names[i].c_str());
            copied = copy->names[i] != nullptr;
            copy->name_count += copied ? 1 : 0;
        }
        if (!copied) {
            Cartova_ReleaseRecordingNotes(copy);
            return TkErrorFailed;
        }
        *notes = copy;
        return TkErrorSuccess;
    });
}

CARTOVA_API void Cartova_ReleaseRecordingNotes(TkRecordingNotes* notes)
{
    if (notes == nullptr)
        return;
    for (size_t i = 0; i < notes->name_count; ++i)
        std::free(notes->names[i]);
    std::free(notes->names);
    std::free(notes->markers);
    std::free(notes);
}

} // extern "C"
