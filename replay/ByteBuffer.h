#pragma once

#include <bit>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

// A byte buffer that only grows, to powers of two, while in use; the stream
// decoders keep one per thread for the next file.
class ByteBuffer
{
public:
    unsigned char *data() const { return m_data.get(); }
    size_t capacity() const { return m_capacity; }

    // Makes room for at least size bytes, keeping the first `keep`; false
    // when the memory cannot be had (the buffer is then as it was).
    bool reserve(size_t size, size_t keep)
    {
        if (size <= m_capacity)
            return true;
        const size_t capacity = std::bit_ceil(size);
        std::unique_ptr<unsigned char[]> grown(new (std::nothrow) unsigned char[capacity]);
        if (!grown)
            return false;
        if (keep > 0)
            std::memcpy(grown.get(), m_data.get(), keep);
        m_data = std::move(grown);
        m_capacity = capacity;
        return true;
    }

    // Gives the memory back when it grew beyond limit (for an oversized file).
    void releaseAbove(size_t limit)
    {
        if (m_capacity > limit) {
            m_data.reset();
            m_capacity = 0;
        }
    }

private:
    std::unique_ptr<unsigned char[]> m_data;
    size_t m_capacity = 0;
};
