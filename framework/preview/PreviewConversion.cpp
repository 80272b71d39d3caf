// One conversion pass of the preview; see PreviewConversion.h.
#include "preview/PreviewConversion.h"

#include <algorithm>
#include <new>

#include "convert/SampleTypeInfo.h"
#include "preview/PreviewData.h"
#include "storage/RecordData.h"

TkError PreviewConversion::Prepare(RecordData* recordData, PreviewData* previewData, bool fromRecorded)
{
    if (recordData == nullptr || previewData == nullptr) {
        return TkErrorInvalidArgument;
    }
    const SampleTypeInfo* typeInfo = recordData->GetSampleTypeInfo();
    const uint16_t channels = recordData->GetChannels();
    const uint64_t previewRate = previewData->GetSampleRate();
    if (typeInfo == nullptr || typeInfo->toPreview == nullptr || channels == 0 || previewRate == 0) {
        return TkErrorInvalidArgument;
    }
    try {
        m_input.assign(channels, AlignedByteVector());
        m_output.assign(channels, std::vector<int16_t>(kMaxFramesPerPass));
        m_work.assign(channels, DsdToPcmWorkBuffer{});
        m_interleaved.assign(kMaxFramesPerPass * channels, 0);
    } catch (const std::bad_alloc&) {
        return TkErrorFailed;
    }
    m_recordData = recordData;
    m_previewData = previewData;
    m_typeInfo = typeInfo;
    m_channels = channels;
    m_previewRate = previewRate;
    m_dsd = typeInfo->isDsd;
    m_fromRecorded = fromRecorded;
    m_done = 0;
    m_previewLength = 0;
    m_lastTenths = 0;
    return TkErrorSuccess;
}

uint64_t PreviewConversion::ConvertPass()
{
    if (m_recordData == nullptr) {
        return 0;
    }
    const uint64_t length = m_recordData->GetLength(m_fromRecorded);
    const uint64_t available = length > m_done ? length - m_done : 0;
    const uint64_t frames = std::min(m_dsd ? available / kDsdDecimation : available, kMaxFramesPerPass);
    if (frames == 0) {
        return 0;
    }
    const uint64_t samples = m_dsd ? frames * kDsdDecimation : frames;
    for (uint16_t c = 0; c < m_channels; ++c) {
        ConvertChannel(c, samples, frames);
    }
    Interleave(frames);
    // A failure to write the finished view's files is reported by the
    // recording side's own store failure; the frames stay in memory here.
    m_previewData->Add(m_interleaved);
    m_previewLength = m_previewData->GetLength(false);
    m_done += samples;
    return frames;
}

void PreviewConversion::ConvertChannel(uint16_t channel, uint64_t samples, uint64_t frames)
{
    AlignedByteVector& input = m_input[channel];
    std::vector<int16_t>& output = m_output[channel];
    output.resize(frames);
    const TkError read = m_recordData->GetData(channel, m_done, m_done + samples, input, m_fromRecorded);
    const uint64_t bytesNeeded = samples * m_recordData->GetBitsPerSample() / 8;
    if (read != TkErrorSuccess || input.size() < bytesNeeded) {
        // The samples are no longer in memory (the thread fell more than two
        // chunks behind). Silence keeps the preview in step with the capture,
        // so that frame positions still match the record events.
        std::fill(output.begin(), output.end(), int16_t(0));
        return;
    }
    m_typeInfo->toPreview(output.data(), input.data(), frames, &m_work[channel]);
}

void PreviewConversion::Interleave(uint64_t frames)
{
    m_interleaved.resize(frames * m_channels);
    int16_t* out = m_interleaved.data();
    for (uint16_t c = 0; c < m_channels; ++c) {
        const int16_t* in = m_output[c].data();
        for (uint64_t i = 0; i < frames; ++i) {
            out[i * m_channels + c] = in[i];
        }
    }
}

bool PreviewConversion::TakeConvertPosition(double& seconds)
{
    if (m_previewRate == 0) {
        return false;
    }
    const uint64_t tenths = m_previewLength * 1000 / (m_previewRate * 100);
    if (tenths == m_lastTenths) {
        return false;
    }
    m_lastTenths = tenths;
    seconds = static_cast<double>(tenths) * 0.1;
    return true;
}

uint64_t PreviewConversion::GetConvertedSamples() const
{
    return m_done;
}
