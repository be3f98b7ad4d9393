// A file opened for reading with the largest read buffer that memory allows: what every
// file reader opens by name.
#ifndef HALVERN_MODEL_READ_STREAM_H
#define HALVERN_MODEL_READ_STREAM_H

#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/owners.h"

#include <cstdint>
#include <utility>

namespace halvern {

class ReadStream {
public:
    // The buffer is 512 KB, halved until it can be had, never below 1 KB: below that
    // the stream's own buffer serves.
    static constexpr uint32_t kLargestBuffer = 0x80000;
    static constexpr uint32_t kSmallestBuffer = 1024;

    // Opens path for reading; an empty stream (is_open() false) when Open fails, with
    // Open's error left for IoErr.
    static ReadStream open(const char* path) noexcept
    {
        ReadStream opened;
        opened.m_stream.reset(Open(path, FileModeRead));
        if (!opened.m_stream)
            return opened;
        uint32_t size = kLargestBuffer;
        for (; size >= kSmallestBuffer; size /= 2) {
            opened.m_buffer.reset(AllocVec(size));
            if (opened.m_buffer)
                break;
        }
        // Without a block of its own the stream takes a buffer of the smallest size.
        SetVBuf(opened.m_stream.get(), opened.m_buffer.get(), 0,
                static_cast<int32_t>(opened.m_buffer ? size : kSmallestBuffer));
        return opened;
    }

    ReadStream() noexcept = default;
    ReadStream(ReadStream&&) noexcept = default;
    // Assigning over an open stream would free its buffer before closing it.
    ReadStream& operator=(ReadStream&&) = delete;

    bool is_open() const noexcept { return m_stream != nullptr; }
    FileHandle* get() const noexcept { return m_stream.get(); }

private:
    // Declared first, so destroyed last: the stream lets go of the buffer when it is
    // closed, before the buffer is freed.
    osmark::BlockOwner<void> m_buffer;
    osmark::StreamOwner m_stream;
};

}

#endif
