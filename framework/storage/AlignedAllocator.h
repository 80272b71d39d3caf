// A standard allocator that aligns every allocation to Alignment bytes, and
// the 16-byte-aligned byte vector used for captured samples that vector code
// reads directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

template <class T, std::size_t Alignment>
class AlignedAllocator {
public:
    using value_type = T;
    template <class U>
    struct rebind {
        using other = AlignedAllocator<U, Alignment>;
    };

    AlignedAllocator() noexcept = default;
    template <class U>
    AlignedAllocator(const AlignedAllocator<U, Alignment>&) noexcept {}

    T* allocate(std::size_t count)
    {
        return static_cast<T*>(::operator new(count * sizeof(T), std::align_val_t(Alignment)));
    }
    void deallocate(T* pointer, std::size_t) noexcept
    {
        ::operator delete(pointer, std::align_val_t(Alignment));
    }

    template <class U>
    bool operator==(const AlignedAllocator<U, Alignment>&) const noexcept { return true; }
};

using AlignedByteVector = std::vector<uint8_t, AlignedAllocator<uint8_t, 16>>;
