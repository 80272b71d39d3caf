// Test double of the Cartova functions: a scripted device list and results, and a record
// of what the application asked for.
#pragma once

#include "cartova.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// One view of the preview stream (interleaved 16-bit frames) as the fake serves it. The
// playback reader and the waveform worker read it on their own threads, so it has its own
// lock and tests may change it while they run.
class FakePreviewStream {
public:
    static constexpr uint16_t kChannels = 2; // the fake device's input channels

    void reset();
    void setFrames(std::vector<int16_t> samples);
    // A stream of `frames` frames made by sample(frame, channel).
    template <typename F> void generate(uint64_t frames, F sample)
    {
        std::vector<int16_t> s(frames * kChannels);
        for (uint64_t f = 0; f < frames; ++f)
            for (uint16_t c = 0; c < kChannels; ++c)
                s[f * kChannels + c] = sample(f, c);
        setFrames(std::move(s));
    }
    // Appends interleaved frames while a reader may be running (a recording that grows).
    void append(const std::vector<int16_t>& samples);
    // Every read from now on returns `result` (success: reads work again).
    void failReadsWith(TkError result);
    // Called (outside the lock) with the 1-based number of every length query made through
    // the Cartova functions, before it is answered: lets a test act at an exact point of a
    // reader's progress.
    void setOnLengthQuery(std::function<void(int)> hook);
    // The length as the Cartova functions report it: runs the hook first.
    uint64_t queryLength();

    TkError read(uint64_t first, uint64_t end, int16_t* buffer, size_t bufferSamples) const;
    uint64_t length() const;

private:
    mutable std::mutex m_lock;
    std::vector<int16_t> m_samples;
    TkError m_readResult = TkErrorSuccess;
    std::function<void(int)> m_onLengthQuery;
    int m_lengthQueries = 0;
};

struct FakeCartova {
    std::vector<std::string> devices{"QT-LV200"};
    std::string deviceProblem; // what Cartova_GetDeviceProblem answers; empty: nothing wrong
    std::string selected;           // empty: no device selected yet
    TkError getDevicesResult = TkErrorSuccess;
    TkError setTempDirectoryResult = TkErrorSuccess;
    std::string tempDirectory;
    std::vector<std::string> leftoverFolders; // Cartova_DeleteTempLeftovers calls
    TkRecordSetting lastSetting{};
    const ICartovaDelegate* delegate = nullptr;
    int newCalls = 0;
    std::vector<bool> stopCalls;
    int pauseCalls = 0;
    // The selected device's description and its USB identity.
    std::vector<uint32_t> pcmFreq{44100, 48000};
    std::vector<uint32_t> dsdFreq;
    uint16_t recordBits = 32;
    std::string usbProductName = "QT-LV200";
    int32_t usbBcdDevice = 0x0102;
    // Results and counts of the recording calls.
    TkError startPreRecordingResult = TkErrorSuccess;
    TkError startResult = TkErrorSuccess;
    TkError pauseResult = TkErrorSuccess;
    TkError resumeResult = TkErrorSuccess;
    TkError stopResult = TkErrorSuccess;
    int startPreRecordingCalls = 0;
    int startCalls = 0;
    int resumeCalls = 0;
    std::vector<double> trackGaps; // the boundaries Cartova_FindTracks answers (its places too)
    double musicStart = 0.0;       // no lead-in
    double musicEnd = 1e9;         // no run-out
    TkSideProblem sideProblem = TkSideProblemNone;
    TkError findTracksResult = TkErrorSuccess;
    std::vector<TkDroppedAudio> droppedAudio; // what Cartova_GetDroppedAudio answers

    // Click repair: the analysis's answers (the state it ends in, on the first poll or
    // once cancelled) and what the application asked for.
    TkError findClicksResult = TkErrorSuccess;
    TkClickAnalysisState clickAnalysisEnd = TkClickAnalysisFinished;
    bool clickAnalysisWaitsForCancel = false; // runs until Cartova_FindClicksCancel
    std::vector<TkClickPlace> clickPlaces;    // at 44100 Hz
    TkClickSensitivity clickSensitivity = -1; // of the last Cartova_FindClicks
    int findClicksCalls = 0;
    int findClicksCancels = 0;
    int clearClickPlacesCalls = 0;
    std::pair<bool, bool> clickRepair{false, false}; // on preview, on save

    // Writing: the last accepted job list, the result to give, progress and cancels.
    struct SavedTrack {
        std::string path;
        double start = 0.0;
        double end = 0.0;
        double gain = 0.0;
        std::map<std::string, std::string> tags;
    };
    TkError saveFileResult = TkErrorSuccess;
    std::vector<SavedTrack> savedTracks;
    int saveFileCalls = 0;
    std::pair<int32_t, int32_t> saveProgress{0, 0};
    std::vector<bool> saveCancels;
    // The PCM file format last chosen, and the covers refused: path -> result, with the
    // framework's sentence "<path>: refused".
    TkPcmFileFormat pcmFileFormat = TkPcmFileFormatWav;
    int32_t compressionLevel = -1;
    std::map<std::string, TkError> refusedCovers;

    // Recovery: the recordings listed (newest first), what was opened and discarded, and
    // the notes of the current recording's journal (kept only while it has one).
    struct Recoverable {
        std::string id;
        int64_t started = 0;
        TkRecoverable info{}; // its format, length and state (id, folder, missing unused)
        std::string missing;
    };
    std::vector<Recoverable> recoverable;
    TkError openRecoverableResult = TkErrorSuccess;
    std::vector<std::string> opened;
    std::vector<std::string> discarded;
    bool hasJournal = false;
    std::vector<double> notesMarkers;
    std::vector<std::string> notesNames;
    int setNotesCalls = 0;
};

// The one fake of the test program; Reset() before each test.
FakeCartova& Fake();
// The finished view (recorded ranges) and the recording view of the preview stream.
FakePreviewStream& FakePreview();
FakePreviewStream& FakeRecordingPreview();
void ResetFake();
