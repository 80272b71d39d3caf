// Byte FIFO of the playback path.
#include "playback/RingBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

std::unique_ptr<RingBuffer> RingBuffer::initWithBufferSize(size_t bufferSize)
{
    if (bufferSize == 0)
        return nullptr;
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[bufferSize]);
    if (!buffer)
        return nullptr;
    return std::unique_ptr<RingBuffer>(new RingBuffer(std::move(buffer), bufferSize));
}

RingBuffer::RingBuffer(std::unique_ptr<uint8_t[]> buffer, size_t bufferSize)
    : m_buffer(std::move(buffer)), m_bufferSize(bufferSize), m_freeSize(bufferSize)
{
}

size_t RingBuffer::enqueue(const void* data, size_t size)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const size_t n = std::min(size, m_freeSize);
    if (n == 0)
        return 0;
    const auto* in = static_cast<const uint8_t*>(data);
    const size_t first = std::min(n, m_bufferSize - m_wp);
    std::memcpy(m_buffer.get() + m_wp, in, first);
    std::memcpy(m_buffer.get(), in + first, n - first);
    m_wp = (m_wp + n) % m_bufferSize;
    m_freeSize -= n;
    m_usedSize += n;
    return n;
}

size_t RingBuffer::dequeue(void* data, size_t size)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const size_t n = std::min(size, m_usedSize);
    if (n == 0)
        return 0;
    auto* out = static_cast<uint8_t*>(data);
    const size_t first = std::min(n, m_bufferSize - m_rp);
    std::memcpy(out, m_buffer.get() + m_rp, first);
    std::memcpy(out + first, m_buffer.get(), n - first);
    m_rp = (m_rp + n) % m_bufferSize;
    m_usedSize -= n;
    m_freeSize += n;
    return n;
}

size_t RingBuffer::usedSize() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_usedSize;
}

size_t RingBuffer::freeSize() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_freeSize;
}
