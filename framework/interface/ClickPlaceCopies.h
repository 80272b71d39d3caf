// The C copies of click-repair places handed out by the exported interface,
// and the sample source the exported file repair reads through.
#pragma once

#include "cartova.h"
#include "restore/RepairedPlaces.h"
#include "restore/SampleSource.h"

// A list owned by the caller (FreeClickPlaceList); null when memory runs
// out. places may be null for an empty list.
TkClickPlaceList* CopyClickPlaceList(const RepairedPlaces* places);
void FreeClickPlaceList(TkClickPlaceList* list);

// A TkSampleSource as the analysis reads it.
class CallbackSampleSource : public ISampleSource {
public:
    explicit CallbackSampleSource(const TkSampleSource& source) : m_source(source) {}

    uint16_t Channels() const override { return m_source.channels; }
    uint64_t Frames() const override { return m_source.frames; }
    uint64_t Rate() const override { return m_source.sample_rate; }
    bool Read(uint16_t channel, uint64_t first, size_t count, float* out) override
    {
        return m_source.read(m_source.context, channel, first, count, out) == 0;
    }

private:
    TkSampleSource m_source;
};
