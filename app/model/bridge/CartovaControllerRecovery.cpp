// The bridge's recovery calls: the framework's records copied into owned Qt values.
#include "bridge/CartovaController.h"

#include <QByteArray>

TkError CartovaController::GetRecoverableRecordings(std::vector<RecoverableRecording>& recordings)
{
    recordings.clear();
    TkRecoverableList* list = nullptr;
    const TkError err = Cartova_GetRecoverableRecordings(nullptr, &list);
    if (!list)
        return err;
    for (size_t i = 0; err == TkErrorSuccess && i < list->count; ++i) {
        const TkRecoverable& item = list->items[i];
        RecoverableRecording recording;
        recording.id = QString::fromUtf8(item.id ? item.id : "");
        recording.started = QDateTime::fromSecsSinceEpoch(item.started).toLocalTime();
        recording.isDsd = item.rec_type == 1;
        recording.freq = item.freq;
        recording.channels = item.channels;
        recording.bits = item.bits;
        recording.seconds = item.seconds;
        recording.state = item.state;
        recording.missing = QString::fromUtf8(item.missing ? item.missing : "");
        recordings.push_back(recording);
    }
    Cartova_ReleaseRecoverableRecordings(list);
    return err;
}

TkError CartovaController::OpenRecoverableRecording(const QString& id)
{
    return Cartova_OpenRecoverableRecording(id.toUtf8().constData());
}

TkError CartovaController::DiscardRecoverableRecording(const QString& id)
{
    return Cartova_DiscardRecoverableRecording(nullptr, id.toUtf8().constData());
}

TkError CartovaController::SetRecordingNotes(const RecordingNotes& notes)
{
    std::vector<QByteArray> utf8;
    utf8.reserve(size_t(notes.names.size()));
    std::vector<const char*> names;
    for (const QString& name : notes.names) {
        utf8.push_back(name.toUtf8());
        names.push_back(utf8.back().constData());
    }
    return Cartova_SetRecordingNotes(notes.markers.data(), notes.markers.size(), names.data(), names.size());
}

TkError CartovaController::GetRecordingNotes(RecordingNotes& notes)
{
    notes = RecordingNotes();
    TkRecordingNotes* kept = nullptr;
    const TkError err = Cartova_GetRecordingNotes(&kept);
    if (!kept)
        return err;
    if (err == TkErrorSuccess) {
        notes.markers.assign(kept->markers, kept->markers + kept->marker_count);
        for (size_t i = 0; i < kept->name_count; ++i)
            notes.names.append(QString::fromUtf8(kept->names[i] ? kept->names[i] : ""));
    }
    Cartova_ReleaseRecordingNotes(kept);
    return err;
}
