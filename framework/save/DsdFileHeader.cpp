// Sizes and header bytes of a DSF track file.
#include "save/DsdFileHeader.h"

#include <cstring>

#include "save/ByteOrder.h"

DsfLayout ComputeDsfLayout(uint32_t channels, uint32_t sampleRate, uint64_t samples, uint64_t id3TagSize)
{
    DsfLayout layout;
    layout.channels = channels;
    layout.sampleRate = sampleRate;
    layout.samples = samples;
    const uint64_t wholeBytes = samples / 8;
    layout.bytesPerChannel = (wholeBytes + kDsfBlockBytes - 1) / kDsfBlockBytes * kDsfBlockBytes;
    layout.dataBytes = uint64_t(channels) * layout.bytesPerChannel;
    layout.id3TagSize = id3TagSize;
    layout.totalFileSize = kDsfHeaderBytes + layout.dataBytes + id3TagSize;
    layout.metadataPointer = id3TagSize > 0 ? kDsfHeaderBytes + layout.dataBytes : 0;
    return layout;
}

uint32_t DsfChannelType(uint32_t channels)
{
    return channels >= 4 ? channels + 1 : channels;
}

std::array<uint8_t, kDsfHeaderBytes> BuildDsfHeader(const DsfLayout& layout)
{
    using namespace byteorder;
    std::array<uint8_t, kDsfHeaderBytes> h{};
    uint8_t* p = h.data();

    // "DSD " chunk.
    std::memcpy(p + 0, "DSD ", 4);
    PutLE64(p + 4, 28);
    PutLE64(p + 12, layout.totalFileSize);
    PutLE64(p + 20, layout.metadataPointer);

    // "fmt " chunk.
    std::memcpy(p + 28, "fmt ", 4);
    PutLE64(p + 32, 52);
    PutLE32(p + 40, 1);                              // format version
    PutLE32(p + 44, 0);                              // raw DSD
    PutLE32(p + 48, DsfChannelType(layout.channels));
    PutLE32(p + 52, layout.channels);
    PutLE32(p + 56, layout.sampleRate);
    PutLE32(p + 60, 1);                              // bits per sample
    PutLE64(p + 64, layout.samples);
    PutLE32(p + 72, uint32_t(kDsfBlockBytes));
    PutLE32(p + 76, 0);                              // reserved

    // "data" chunk header; the sample data follows.
    std::memcpy(p + 80, "data", 4);
    PutLE64(p + 84, 12 + layout.dataBytes);
    return h;
}
