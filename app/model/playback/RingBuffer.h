// A fixed-size byte FIFO between the playback reader thread (which fills it) and the
// audio output thread (which drains it). Every access holds the buffer's own lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

class RingBuffer {
public:
    // An empty buffer of bufferSize bytes; none when the memory cannot be had.
    static std::unique_ptr<RingBuffer> initWithBufferSize(size_t bufferSize);

    // Copies min(size, free) bytes in, wrapping at the end; returns the count written.
    size_t enqueue(const void* data, size_t size);
    // Copies min(size, used) bytes out, wrapping at the end; returns the count read.
    size_t dequeue(void* data, size_t size);

    size_t bufferSize() const { return m_bufferSize; }
    size_t usedSize() const;
    size_t freeSize() const;

private:
    RingBuffer(std::unique_ptr<uint8_t[]> buffer, size_t bufferSize);

    mutable std::mutex m_lock;
    std::unique_ptr<uint8_t[]> m_buffer;
    const size_t m_bufferSize;
    size_t m_freeSize;
    size_t m_usedSize = 0;
    size_t m_rp = 0; // read offset
    size_t m_wp = 0; // write offset
};
