// One conversion pass of the preview: takes the captured samples of every
// channel that have not been converted yet (at most 4096 preview frames per
// pass), turns them into 16-bit preview samples with the sample type's
// preview converter, interleaves them and appends them to the preview.
// DSD is decimated by 64; each channel keeps its decimator state between
// passes. ConvertThread runs the passes; benchmarks call them directly.
#pragma once

#include <cstdint>
#include <vector>

#include "convert/DsdToPcmWorkBuffer.h"
#include "interface/cartova.h"
#include "storage/AlignedAllocator.h"

class PreviewData;
class RecordData;
struct SampleTypeInfo;

class PreviewConversion {
public:
    static constexpr uint64_t kMaxFramesPerPass = 4096;
    // One-bit samples per DSD preview frame.
    static constexpr uint64_t kDsdDecimation = CARTOVA_DSD_PREVIEW_DECIMATION;

    // Starts over for a recording: takes channels and sample type from the
    // record data and the preview rate from the preview, allocates the
    // per-channel buffers and zeroes the decimator state. -2 for a null
    // argument, no channels, a zero preview rate or a sample type without a
    // preview converter; -3 when the buffers cannot be allocated.
    // fromRecorded: converts the recorded stream instead of the live one (a
    // recording taken over from disk has no live stream).
    TkError Prepare(RecordData* recordData, PreviewData* previewData, bool fromRecorded = false);

    // Converts what is available, up to one pass; returns the preview frames
    // appended (0 when fewer than one frame of samples is waiting).
    uint64_t ConvertPass();

    // True, with the live preview length in whole tenths of a second, when
    // that length has changed since the last report.
    bool TakeConvertPosition(double& seconds);

    // Samples of one channel converted so far.
    uint64_t GetConvertedSamples() const;

private:
    void ConvertChannel(uint16_t channel, uint64_t samples, uint64_t frames);
    void Interleave(uint64_t frames);

    RecordData* m_recordData = nullptr;
    PreviewData* m_previewData = nullptr;
    const SampleTypeInfo* m_typeInfo = nullptr;
    uint16_t m_channels = 0;
    uint64_t m_previewRate = 0;
    bool m_dsd = false;
    bool m_fromRecorded = false;

    std::vector<AlignedByteVector> m_input;
    std::vector<std::vector<int16_t>> m_output;
    std::vector<DsdToPcmWorkBuffer> m_work;
    std::vector<int16_t> m_interleaved;

    uint64_t m_done = 0;
    uint64_t m_previewLength = 0;
    uint64_t m_lastTenths = 0;
};
