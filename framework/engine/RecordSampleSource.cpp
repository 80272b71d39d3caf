// The recording as a sample source; see RecordSampleSource.h.
#include "engine/RecordSampleSource.h"

#include "convert/SampleTypeInfo.h"
#include "storage/RecordData.h"

#include <bit>
#include <cstring>
#include <vector>

static_assert(std::endian::native == std::endian::little,
              "the float converters write little-endian floats, read here as the host's");

RecordSampleSource::RecordSampleSource(RecordData& recordData)
    : m_recordData(recordData), m_type(recordData.GetSampleTypeInfo()), m_channels(recordData.GetChannels()),
      m_frames(recordData.GetLength(true)), m_rate(recordData.GetSampleRate())
{
}

bool RecordSampleSource::Read(uint16_t channel, uint64_t first, size_t count, float* out)
{
    if (m_type == nullptr || m_type->toFloat32 == nullptr || m_type->isDsd) {
        return false;
    }
    std::vector<uint8_t> stored;
    const size_t storedBytes = (m_type->bits + m_type->paddingBits) / 8u;
    if (m_recordData.GetData(channel, first, first + count, stored, true) != TkErrorSuccess ||
        stored.size() < count * storedBytes) {
        return false;
    }
    m_type->toFloat32(out, stored.data(), count);
    return true;
}
