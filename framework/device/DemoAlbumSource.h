// The simulated turntable's built-in record: a generated album of
// music-like tracks (chords of decaying notes over a bass line) separated by
// quiet gaps, with light surface noise and occasional clicks throughout.
// Everything is a function of the time and the seed, so any stretch can be
// rendered again identically.
#pragma once

#include <cstdint>

#include "device/SimSource.h"

struct DemoAlbumLayout {
    unsigned tracks = 4;
    double trackSeconds = 30.0;
    double gapSeconds = 3.0;
    double leadInSeconds = 1.0;
    uint32_t seed = 1;
};

class DemoAlbumSource : public ISimSource {
public:
    explicit DemoAlbumSource(const DemoAlbumLayout& layout = {});
    void Render(double rate, uint64_t firstFrame, size_t frames, float* stereo) const override;

    // Start and end of track `index` in seconds.
    double TrackStart(unsigned index) const;
    double TrackEnd(unsigned index) const;

private:
    float Music(double t, unsigned track, int channel) const;
    float SurfaceNoise(uint64_t frame, double rate, int channel) const;

    DemoAlbumLayout m_layout;
};
