// The segmented, multi-threaded click analysis; see ClickAnalysis.h.
#include "restore/ClickAnalysis.h"

#include "restore/ClickDetector.h"
#include "restore/PlaceJoiner.h"
#include "restore/PlaceRepairer.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Blocks per segment: long enough that the margins cost little, short
// enough that two cores share even a short track.
constexpr uint64_t kSegmentBlocks = 128;
// Blocks detected beyond each side of a segment, so that the places that
// start near its edges are found as in the segment next to it.
constexpr uint64_t kMarginBlocks = 2;

// One worker's analysis of segments, with its buffers kept between them.
class SegmentWorker {
public:
    SegmentWorker(ISampleSource& source, const RestoreSettings& settings)
        : m_source(source), m_settings(settings), m_detectors(source.Channels(), ClickDetector(settings)),
          m_repairer(settings), m_buffers(source.Channels()), m_channels(source.Channels()), m_found(source.Channels())
    {
    }

    // The places that start in [start, end); false when reading failed.
    bool Process(uint64_t start, uint64_t end, std::vector<RepairedPlace>& out)
    {
        const uint64_t frames = m_source.Frames();
        const uint64_t block = m_settings.blockLength;
        const uint64_t margin = kMarginBlocks * block;
        const uint64_t detectFirst = start > margin ? (start - margin) / block * block : 0;
        const uint64_t detectEnd = std::min(frames, (end + margin + block - 1) / block * block);
        const uint64_t reach = m_settings.RepairReach() + m_settings.detectOrder;
        const uint64_t bufferStart = detectFirst > reach ? detectFirst - reach : 0;
        const uint64_t bufferEnd = std::min(frames, detectEnd + reach);
        const auto available = static_cast<size_t>(bufferEnd - bufferStart);

        std::vector<ChannelRegion> regions;
        for (uint16_t c = 0; c < m_source.Channels(); ++c) {
            m_buffers[c].resize(available);
            if (!m_source.Read(c, bufferStart, available, m_buffers[c].data())) {
                return false;
            }
            m_channels[c] = ChannelSamples{m_buffers[c].data(), bufferStart, available, frames};
            m_found[c].clear();
            m_detectors[c].Detect(m_channels[c], detectFirst, detectEnd, c, m_found[c]);
            regions.insert(regions.end(), m_found[c].begin(), m_found[c].end());
        }
        // The places in the margin before the segment are repaired too, but
        // not kept: the places after them take their context from repaired
        // samples.
        for (DamagedPlace& place : JoinPlaces(std::move(regions), m_settings)) {
            if (place.start >= end) {
                break;
            }
            JoinOtherChannels(place);
            if (m_repairer.IsMusic(place, m_channels, m_found)) {
                continue;
            }
            RepairedPlace repaired = m_repairer.Repair(place, m_channels, m_found);
            KeepRepair(repaired);
            if (place.start >= start) {
                out.push_back(std::move(repaired));
            }
        }
        return true;
    }

private:
    // The places are repaired in order, and each one's repair is laid over
    // the samples, so that the places after it have undamaged context on
    // their left.
    void KeepRepair(const RepairedPlace& place)
    {
        for (uint16_t c = 0; c < m_source.Channels(); ++c) {
            if (const float* samples = ChannelSamplesOf(place, c)) {
                std::copy(samples, samples + place.length,
                          m_buffers[c].begin() + static_cast<std::ptrdiff_t>(place.position - m_channels[c].origin));
            }
        }
    }

    // A click hits every channel: a channel that found nothing at a place,
    // or only runs too weak to stand on their own, is tested there once
    // more at the join threshold (its weak runs lie where its errors rose
    // highest, often on part of the damage alone). The run found takes in
    // the weak ones.
    void JoinOtherChannels(DamagedPlace& place)
    {
        for (uint16_t c = 0; c < m_source.Channels(); ++c) {
            const auto inChannel = [c](const ChannelRegion& r) { return r.channel == c; };
            if (std::any_of(place.runs.begin(), place.runs.end(),
                            [&](const ChannelRegion& r) { return inChannel(r) && r.confirmed; })) {
                continue;
            }
            ChannelRegion run;
            if (!m_detectors[c].TestSpan(place.start, place.end, c, run)) {
                continue;
            }
            for (const ChannelRegion& weak : place.runs) {
                if (inChannel(weak)) {
                    run.start = std::min(run.start, weak.start);
                    run.end = std::max(run.end, weak.end);
                }
            }
            place.runs.erase(std::remove_if(place.runs.begin(), place.runs.end(), inChannel), place.runs.end());
            place.runs.push_back(run);
            place.start = std::min(place.start, run.start);
            place.end = std::max(place.end, run.end);
            place.channelMask |= 1u << c;
            m_found[c].push_back(run);
        }
    }

    ISampleSource& m_source;
    const RestoreSettings& m_settings;
    std::vector<ClickDetector> m_detectors;
    PlaceRepairer m_repairer;
    std::vector<std::vector<float>> m_buffers;
    std::vector<ChannelSamples> m_channels;
    std::vector<std::vector<ChannelRegion>> m_found;
};

} // namespace

AnalysisOutcome AnalyseClicks(ISampleSource& source, ClickSensitivity sensitivity, AnalysisControl& control,
                              unsigned threads)
{
    AnalysisOutcome outcome;
    control.progress = 0;
    const uint64_t rate = source.Rate();
    const uint64_t frames = source.Frames();
    const uint16_t channels = source.Channels();
    if (rate == 0 || channels == 0 || channels > 32) {
        outcome.places = RepairedPlaces(rate, channels, {});
        control.progress = 1000;
        return outcome;
    }
    const RestoreSettings settings = MakeRestoreSettings(rate, sensitivity);
    const uint64_t segmentLength = kSegmentBlocks * settings.blockLength;
    const size_t segments = frames < settings.blockLength ? 0 : static_cast<size_t>((frames + segmentLength - 1) / segmentLength);

    std::vector<std::vector<RepairedPlace>> results(segments);
    std::atomic<size_t> next{0};
    std::atomic<size_t> done{0};
    std::atomic<bool> failed{false};
    auto work = [&]() {
        SegmentWorker worker(source, settings);
        for (;;) {
            const size_t index = next.fetch_add(1);
            if (index >= segments || control.cancel.load() || failed.load()) {
                return;
            }
            const uint64_t start = index * segmentLength;
            const uint64_t end = std::min(frames, start + segmentLength);
            if (!worker.Process(start, end, results[index])) {
                failed = true;
                return;
            }
            const size_t finished = done.fetch_add(1) + 1;
            control.progress = static_cast<int32_t>(finished * 1000 / segments);
        }
    };
    if (threads == 0) {
        threads = std::max(1u, std::thread::hardware_concurrency());
    }
    threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(segments, 1)));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) {
        pool.emplace_back(work);
    }
    work();
    for (std::thread& thread : pool) {
        thread.join();
    }
    if (failed) {
        outcome.status = AnalysisStatus::ReadFailed;
        return outcome;
    }
    if (control.cancel.load()) {
        outcome.status = AnalysisStatus::Cancelled;
        return outcome;
    }
    // Segments in order; a place that overlaps the one before it (a long
    // one found again across a segment edge) is dropped.
    std::vector<RepairedPlace> places;
    for (std::vector<RepairedPlace>& result : results) {
        for (RepairedPlace& place : result) {
            if (places.empty() || place.position >= places.back().End()) {
                places.push_back(std::move(place));
            }
        }
    }
    outcome.places = RepairedPlaces(rate, channels, std::move(places));
    control.progress = 1000;
    return outcome;
}
