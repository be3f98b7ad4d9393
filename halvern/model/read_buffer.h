// The read buffer that the file readers give their streams.
#ifndef HALVERN_MODEL_READ_BUFFER_H
#define HALVERN_MODEL_READ_BUFFER_H

#include "osmark/memory.h"

#include <cstdint>

namespace halvern {

// A read buffer as large as memory allows: 512 KB, halved until it can be had, never
// below 1 KB (below that the stream's own buffer serves). Freed after the stream is
// closed.
class ReadBuffer {
public:
    static constexpr uint32_t kLargest = 0x80000;
    static constexpr uint32_t kSmallest = 1024;

    ReadBuffer()
    {
        for (uint32_t size = kLargest; size >= kSmallest; size /= 2) {
            m_block = AllocVec(size);
            if (m_block != nullptr) {
                m_size = size;
                return;
            }
        }
    }
    ~ReadBuffer() { FreeVec(m_block); }
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;

    void* block() const { return m_block; }
    int32_t size() const { return static_cast<int32_t>(m_size); }

private:
    void* m_block = nullptr;
    uint32_t m_size = kSmallest;
};

}

#endif
