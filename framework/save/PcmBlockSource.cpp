// Reading, gain and conversion of PCM track samples; see PcmBlockSource.h.
#include "save/PcmBlockSource.h"

#include "convert/SampleTypeInfo.h"
#include "platform/Trace.h"
#include "save/SaveDsfFile.h"
#include "save/TrackRange.h"
#include "storage/RecordData.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace {

// The host's cancel mode that aborts the file being written.
constexpr uint32_t kCancelDeleteMode = 1;

// Why a track of record cannot be converted to bits per sample; empty when it can.
std::string PcmTrackProblem(RecordData& record, uint16_t bits) {
    // A depth other than 16, 24 or 32 bits would give a file that does not
    // describe its samples.
    if (bits % 8 != 0 || InterleavedConverterFor(bits / 8u) == nullptr) {
        return "unsupported bit depth " + std::to_string(bits);
    }
    const SampleTypeInfo* type = record.GetSampleTypeInfo();
    if (type == nullptr || type->toFloat32 == nullptr || record.GetChannels() == 0 ||
        record.GetSampleRate() > UINT32_MAX) {
        return "unsupported recording format";
    }
    return {};
}

} // namespace

TkError PreparePcmTrack(IDsfWriterHost& host, const TkSaveSettingInternal* job, uint16_t bits, PcmTrack& track) {
    host.SetFileProgress(0, 0);
    if (job == nullptr) return TkErrorInvalidArgument;
    track.record = host.GetRecordData();
    if (track.record == nullptr || track.record->GetSampleTypeInfo() == nullptr) return TkErrorFailed;
    const auto [first, end] = TrackSampleRange(track.record->GetSampleRate(), job->start, job->end,
                                               track.record->GetLength(true), false);
    if (end < first) return TkErrorInvalidArgument;
    track.first = first;
    track.end = end;
    host.SetFileProgress(0, track.Frames());
    // Refused before anything is created.
    const std::string problem = PcmTrackProblem(*track.record, bits);
    if (!problem.empty()) {
        host.SetFailureCause(problem);
        return TkErrorFailed;
    }
    return TkErrorSuccess;
}

PcmBlockSource::PcmBlockSource(const PcmTrack& track, uint16_t bits, double gainDb)
    : m_record(*track.record), m_type(m_record.GetSampleTypeInfo()), m_toOutput(InterleavedConverterFor(bits / 8u)),
      m_gain(std::pow(10.0f, static_cast<float>(gainDb) / 20.0f)),
      m_blockFrames(static_cast<size_t>(std::max<uint64_t>(1, m_record.GetSampleRate() / 10))),
      m_frameBytes(size_t(m_record.GetChannels()) * (bits / 8u)),
      m_storedBytes((m_type->bits + m_type->paddingBits) / 8u),
      m_storedAsFloat(m_type->isFloat && m_type->bits + m_type->paddingBits == 32), m_first(track.first),
      m_next(track.first), m_end(track.end), m_raw(m_record.GetChannels()),
      m_floats(m_storedAsFloat ? 0 : m_record.GetChannels(), std::vector<uint8_t>(m_blockFrames * sizeof(float))),
      m_sources(m_record.GetChannels()) {}

PcmBlockSource::Step PcmBlockSource::Next(IDsfWriterHost& host, uint8_t* out, size_t& n) {
    n = 0;
    if (m_next >= m_end) return Step::End;
    if (host.GetCancelMode() == kCancelDeleteMode) return Step::Cancelled;
    n = static_cast<size_t>(std::min<uint64_t>(m_blockFrames, m_end - m_next));
    host.AddTotalDone(n);
    host.SetFileProgress(m_next + n - m_first, m_end - m_first);
    if (!Read(m_next, n, out)) {
        host.SetFailureCause(FailureWithErrno("reading the recording failed", errno));
        return Step::ReadFailed;
    }
    m_next += n;
    return Step::Block;
}

bool PcmBlockSource::Read(uint64_t first, size_t n, uint8_t* out) {
    for (uint16_t c = 0; c < m_raw.size(); ++c) {
        std::vector<uint8_t>& raw = m_raw[c];
        if (m_record.GetData(c, first, first + n, raw, true) != TkErrorSuccess || raw.size() < n * m_storedBytes) {
            TRACE("read of channel %u at %llu failed", c, static_cast<unsigned long long>(first));
            return false;
        }
        if (m_storedAsFloat) {
            // The float capture's toFloat32 is a copy: its stored bytes are the floats.
            m_sources[c] = raw.data();
        } else {
            m_type->toFloat32(m_floats[c].data(), raw.data(), n);
            m_sources[c] = m_floats[c].data();
        }
    }
    m_toOutput(out, m_sources.data(), m_sources.size(), n, m_gain);
    return true;
}
