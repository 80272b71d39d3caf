// Encoding and checked decoding of the recovery journal (see JournalFormat.h).
#include "recovery/JournalFormat.h"

#include <cstring>

#include "recovery/Crc32.h"
#include "save/ByteOrder.h"

namespace {

constexpr char kMagic[8] = {'C', 'R', 'T', 'V', 'J', 'R', 'N', 'L'};
constexpr size_t kHeaderBytes = 16;
constexpr size_t kChecksumBytes = 4;
// No real journal comes near this; a larger length is damage.
constexpr uint32_t kMaxPayloadBytes = 64u << 20;

void AppendString(std::vector<uint8_t>& out, const std::string& text)
{
    byteorder::AppendLE32(out, uint32_t(text.size()));
    byteorder::AppendBytes(out, text);
}

void AppendDouble(std::vector<uint8_t>& out, double value)
{
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    byteorder::AppendLE64(out, bits);
}

// Bounds-checked reading of the payload: after the first overrun every
// read gives 0 and ok() is false.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool ok() const { return m_ok; }
    bool done() const { return m_at == m_size; }
    uint8_t U8() { return Take(1) ? m_data[m_at - 1] : 0; }
    uint16_t U16() { return Take(2) ? byteorder::GetLE16(m_data + m_at - 2) : 0; }
    uint32_t U32() { return Take(4) ? byteorder::GetLE32(m_data + m_at - 4) : 0; }
    uint64_t U64() { return Take(8) ? byteorder::GetLE64(m_data + m_at - 8) : 0; }
    double Double()
    {
        const uint64_t bits = U64();
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    std::string String()
    {
        const uint32_t length = U32();
        if (!Take(length))
            return {};
        return std::string(reinterpret_cast<const char*>(m_data + m_at - length), length);
    }
    // A count of items of at least itemBytes each that the rest can hold.
    uint32_t Count(size_t itemBytes)
    {
        const uint32_t count = U32();
        if (uint64_t(count) * itemBytes > m_size - m_at)
            m_ok = false;
        return m_ok ? count : 0;
    }

private:
    bool Take(size_t count)
    {
        if (!m_ok || count > m_size - m_at) {
            m_ok = false;
            return false;
        }
        m_at += count;
        return true;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
    bool m_ok = true;
};

std::vector<uint8_t> EncodePayload(const JournalContents& c)
{
    std::vector<uint8_t> out;
    byteorder::AppendLE64(out, uint64_t(c.startedUnix));
    byteorder::AppendLE64(out, uint64_t(c.sampleType));
    out.push_back(c.isDsd ? 1 : 0);
    byteorder::AppendLE16(out, c.channels);
    byteorder::AppendLE64(out, c.sampleRate);
    byteorder::AppendLE16(out, c.bitsPerSample);
    byteorder::AppendLE16(out, c.fileBits);
    byteorder::AppendLE64(out, c.chunkBytes);
    byteorder::AppendLE64(out, c.syncedBytes);
    out.push_back(c.stopped ? 1 : 0);
    byteorder::AppendLE32(out, uint32_t(c.ranges.size()));
    for (const auto& [first, second] : c.ranges) {
        byteorder::AppendLE64(out, first);
        byteorder::AppendLE64(out, second);
    }
    byteorder::AppendLE32(out, uint32_t(c.files.size()));
    for (const std::vector<JournalTempFile>& channel : c.files) {
        byteorder::AppendLE32(out, uint32_t(channel.size()));
        for (const JournalTempFile& file : channel) {
            byteorder::AppendLE64(out, file.start);
            AppendString(out, file.name);
        }
    }
    byteorder::AppendLE32(out, uint32_t(c.markers.size()));
    for (double marker : c.markers)
        AppendDouble(out, marker);
    byteorder::AppendLE32(out, uint32_t(c.names.size()));
    for (const std::string& name : c.names)
        AppendString(out, name);
    return out;
}

bool DecodePayload(Reader& in, JournalContents& c)
{
    c.startedUnix = int64_t(in.U64());
    c.sampleType = int64_t(in.U64());
    c.isDsd = in.U8() != 0;
    c.channels = in.U16();
    c.sampleRate = in.U64();
    c.bitsPerSample = in.U16();
    c.fileBits = in.U16();
    c.chunkBytes = in.U64();
    c.syncedBytes = in.U64();
    c.stopped = in.U8() != 0;
    c.ranges.resize(in.Count(16));
    for (auto& range : c.ranges) {
        range.first = in.U64();
        range.second = in.U64();
    }
    c.files.resize(in.Count(4));
    for (std::vector<JournalTempFile>& channel : c.files) {
        channel.resize(in.Count(12));
        for (JournalTempFile& file : channel) {
            file.start = in.U64();
            file.name = in.String();
        }
    }
    c.markers.resize(in.Count(8));
    for (double& marker : c.markers)
        marker = in.Double();
    c.names.resize(in.Count(4));
    for (std::string& name : c.names)
        name = in.String();
    return in.ok() && in.done() && c.channels != 0 && c.files.size() == c.channels && c.sampleRate != 0 &&
           c.bitsPerSample != 0;
}

} // namespace

std::vector<uint8_t> EncodeJournal(const JournalContents& contents)
{
    const std::vector<uint8_t> payload = EncodePayload(contents);
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    byteorder::AppendLE32(out, kJournalVersion);
    byteorder::AppendLE32(out, uint32_t(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    byteorder::AppendLE32(out, Crc32(out.data(), out.size()));
    return out;
}

JournalProblem DecodeJournal(const std::vector<uint8_t>& bytes, JournalContents& contents)
{
    contents = JournalContents{};
    if (bytes.size() < sizeof kMagic)
        return bytes.empty() || std::memcmp(bytes.data(), kMagic, bytes.size()) == 0 ? JournalProblem::Torn
                                                                                    : JournalProblem::Foreign;
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        return JournalProblem::Foreign;
    if (bytes.size() < kHeaderBytes + kChecksumBytes)
        return JournalProblem::Torn;
    const uint32_t version = byteorder::GetLE32(bytes.data() + 8);
    const uint32_t length = byteorder::GetLE32(bytes.data() + 12);
    if (version > kJournalVersion)
        return JournalProblem::Newer;
    if (version == 0)
        return JournalProblem::Foreign;
    if (version != kJournalVersion || length > kMaxPayloadBytes ||
        bytes.size() != kHeaderBytes + length + kChecksumBytes)
        return JournalProblem::Torn;
    const size_t checked = kHeaderBytes + length;
    if (Crc32(bytes.data(), checked) != byteorder::GetLE32(bytes.data() + checked))
        return JournalProblem::Torn;
    Reader in(bytes.data() + kHeaderBytes, length);
    JournalContents decoded;
    if (!DecodePayload(in, decoded))
        return JournalProblem::Torn;
    contents = std::move(decoded);
    return JournalProblem::None;
}
