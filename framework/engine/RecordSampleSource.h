// The finished PCM recording as the click analysis reads it: each
// channel's recorded stream, converted to floats with the sample type's
// own converter.
#pragma once

#include "restore/SampleSource.h"

class RecordData;
struct SampleTypeInfo;

class RecordSampleSource : public ISampleSource {
public:
    // recordData must outlive the source and not change while it is read.
    explicit RecordSampleSource(RecordData& recordData);

    uint16_t Channels() const override { return m_channels; }
    uint64_t Frames() const override { return m_frames; }
    uint64_t Rate() const override { return m_rate; }
    bool Read(uint16_t channel, uint64_t first, size_t count, float* out) override;

private:
    RecordData& m_recordData;
    const SampleTypeInfo* m_type;
    uint16_t m_channels;
    uint64_t m_frames;
    uint64_t m_rate;
};
