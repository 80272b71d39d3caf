// The preview stream store; see PreviewData.h.
#include "preview/PreviewData.h"

#include <cstdint>

PreviewData::PreviewData(IToolkitManager* engine, uint64_t maxFileBytes) : TemporaryData(engine, maxFileBytes) {}

TkError PreviewData::Init(uint16_t channels, uint64_t sampleRate, RecordRangeManager* rangeManager)
{
    if (channels == 0 || sampleRate == 0) {
        return TkErrorInvalidArgument;
    }
    const uint32_t bytesPerFrame = static_cast<uint32_t>(channels) * 2;
    // Readers must not see the new frame size with the old streams: clear it
    // first, then re-initialise the streams, then publish the new format.
    m_bytesPerFrame = 0;
    const TkError result = TemporaryData::Init(bytesPerFrame * sampleRate * kChunkSeconds);
    m_channels = channels;
    m_sampleRate = sampleRate;
    m_rangeManager = rangeManager;
    m_bytesPerFrame = bytesPerFrame;
    return result;
}

TkError PreviewData::TemporaryClear()
{
    return TemporaryData::Init(kClearedChunkSize);
}

TkError PreviewData::Add(const std::vector<int16_t>& frames)
{
    const uint32_t bytesPerFrame = m_bytesPerFrame;
    RecordRangeManager* rangeManager = m_rangeManager;
    if (bytesPerFrame == 0 || rangeManager == nullptr) {
        return TkErrorFailed;
    }
    const uint64_t size = frames.size() * sizeof(int16_t);
    if (size % bytesPerFrame != 0) {
        return TkErrorInvalidArgument;  // a partial frame would shift every later frame
    }
    // Only the conversion thread appends, so the live length cannot move
    // between this query and the append.
    const uint64_t position = TemporaryData::GetLength(false);
    const RecordRangeList ranges = rangeManager->GetAvailableRange_Bytes(position, position + size, bytesPerFrame);
    return TemporaryData::Add(frames, ranges);
}

TkError PreviewData::GetData(uint64_t from, uint64_t to, std::vector<int16_t>& samples, bool recorded)
{
    const uint64_t bytesPerFrame = m_bytesPerFrame;
    // Before Init there is nothing to read; frame numbers so large that their
    // byte positions would wrap around are beyond any stream.
    if (bytesPerFrame == 0 || to > UINT64_MAX / bytesPerFrame) {
        samples.clear();
        return TkErrorInvalidArgument;
    }
    return TemporaryData::GetData(from * bytesPerFrame, to * bytesPerFrame, samples, recorded);
}

uint64_t PreviewData::GetLength(bool recorded)
{
    const uint64_t bytesPerFrame = m_bytesPerFrame;
    return bytesPerFrame == 0 ? 0 : TemporaryData::GetLength(recorded) / bytesPerFrame;
}

uint16_t PreviewData::GetChannels() const
{
    return m_channels;
}

uint64_t PreviewData::GetSampleRate() const
{
    return m_sampleRate;
}
