// Buffered reading and writing through a FileHandle's operations.
//
// FGetc and FPutc are the hot path of every reader and writer: one decrement and one
// byte move, with FillBuffer or FlushPutc only when the count runs out. In line
// buffered mode the count holds minus the bytes held, so every FPutc on such a handle
// passes through FlushPutc, which decides when the line goes out.

#include "osmark/files.h"

#include "core/files/file_stream_internal.h"
#include "osmark/file_buffer.h"
#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr uint32_t kBusyFlags = FileFlagRead | FileFlagWrite | FileFlagUpdate;

bool has_flag(const FileHandle* fh, uint32_t flag)
{
    return (fh->fh_Flags & flag) != 0;
}

void attach_buffer(FileHandle* fh, uint8_t* buffer, int32_t size, bool owned)
{
    fh->fh_Buffer = buffer;
    fh->fh_Position = buffer;
    fh->fh_BufferSize = size;
    if (owned)
        fh->fh_Flags |= FileFlagOwnBuffer;
    else
        fh->fh_Flags &= ~uint32_t{FileFlagOwnBuffer};
}

void drop_buffer(FileHandle* fh)
{
    if (has_flag(fh, FileFlagOwnBuffer))
        FreeVec(fh->fh_Buffer);
    fh->fh_Flags &= ~uint32_t{FileFlagOwnBuffer};
    fh->fh_Buffer = nullptr;
    fh->fh_Position = nullptr;
    fh->fh_BufferSize = 0;
    fh->fh_Count = 0;
}

// Writes bytes through the write operation until all are taken. A failure, or an
// operation that takes nothing and would make this loop forever, sets the sticky
// error flag.
bool write_all(FileHandle* fh, const uint8_t* bytes, int32_t count)
{
    while (count > 0) {
        int32_t done = 0;
        if (fh->fh_Write == nullptr || !fh->fh_Write(fh->fh_SystemHandle, bytes, count, &done) ||
            done <= 0 || done > count) {
            fh->fh_Flags |= FileFlagError;
            return false;
        }
        bytes += done;
        count -= done;
    }
    return true;
}

int32_t held_bytes(const FileHandle* fh)
{
    return static_cast<int32_t>(fh->fh_Position - fh->fh_Buffer);
}

// Writes out what the buffer holds and makes it empty again.
bool write_out_held(FileHandle* fh)
{
    const int32_t held = held_bytes(fh);
    fh->fh_Position = fh->fh_Buffer;
    return write_all(fh, fh->fh_Buffer, held);
}

int32_t put_line_buffered(FileHandle* fh, int32_t character)
{
    *fh->fh_Position++ = static_cast<uint8_t>(character);
    const int32_t held = held_bytes(fh);
    if (held >= fh->fh_BufferSize || character == '\n') {
        fh->fh_Count = 0;
        if (!write_out_held(fh))
            return -1;
        return character & 0xFF;
    }
    fh->fh_Count = -held;
    return character & 0xFF;
}

int32_t put_unbuffered(FileHandle* fh, int32_t character)
{
    const uint8_t byte = static_cast<uint8_t>(character);
    fh->fh_Count = 0;
    return write_all(fh, &byte, 1) ? byte : -1;
}

int32_t put_fully_buffered(FileHandle* fh, int32_t character)
{
    const bool written = write_out_held(fh);
    fh->fh_Count = fh->fh_BufferSize;
    if (!written)
        return -1;
    --fh->fh_Count;
    *fh->fh_Position++ = static_cast<uint8_t>(character);
    return character & 0xFF;
}

bool is_line_end(int32_t character)
{
    return character == '\n' || character == '\r';
}

}

extern "C" {

OSMARK_API int32_t FillBuffer(FileHandle* fh) noexcept
{
    if (fh == nullptr)
        return osmark::make_error(-1);
    if (has_flag(fh, FileFlagUpdate))
        fh->fh_Flags |= FileFlagRead;
    if (!has_flag(fh, FileFlagRead) || has_flag(fh, FileFlagEndOfFile | FileFlagMemory) ||
        fh->fh_Read == nullptr) {
        // Keep the count from running down without bound on repeated reads at the end.
        fh->fh_Count = std::min(fh->fh_Count, -1);
        return -1;
    }
    uint8_t one_byte_place = 0;
    if (fh->fh_Buffer == nullptr) {
        // An unbuffered handle reads one byte at a time, into a one-byte buffer of its
        // own where it can, so that a byte read ahead (after a lone CR, say) can be
        // pushed back; a handle that wants a buffer gets the usual one.
        const bool unbuffered = has_flag(fh, FileFlagUnbuffered);
        const int32_t size = unbuffered ? 1 : osmark::kDefaultFileBufferSize;
        if (auto* buffer = static_cast<uint8_t*>(AllocVec(static_cast<uint32_t>(size)))) {
            attach_buffer(fh, buffer, size, true);
        } else {
            fh->fh_Flags |= FileFlagUnbuffered;
            attach_buffer(fh, &one_byte_place, 1, false);
        }
    }
    if (fh == Input()) {
        for (FileHandle* stream : {Output(), ErrOutput()}) {
            if (stream != nullptr && has_flag(stream, FileFlagLineBuffered))
                Flush(stream);
        }
    }
    const int32_t wanted = has_flag(fh, FileFlagUnbuffered) ? 1 : fh->fh_BufferSize;
    int32_t done = 0;
    const bool read_ok = fh->fh_Read(fh->fh_SystemHandle, fh->fh_Buffer, wanted, &done) != 0;
    const uint8_t first = fh->fh_Buffer[0];
    fh->fh_Position = fh->fh_Buffer;
    if (fh->fh_Buffer == &one_byte_place) {
        fh->fh_Buffer = nullptr;
        fh->fh_Position = nullptr;
        fh->fh_BufferSize = 0;
    }
    if (!read_ok || done < 0 || done > wanted) {
        fh->fh_Count = 0;
        fh->fh_Flags |= FileFlagError;
        return -1;
    }
    if (done == 0) {
        fh->fh_Flags |= FileFlagEndOfFile;
        if (has_flag(fh, FileFlagUpdate))
            fh->fh_Flags &= ~uint32_t{FileFlagRead};
        fh->fh_Count = -1;
        return -1;
    }
    fh->fh_Count = done - 1;
    if (fh->fh_Position != nullptr)
        ++fh->fh_Position;
    return first;
}

OSMARK_API int32_t FGetc(FileHandle* fh) noexcept
{
    if (fh == nullptr)
        return osmark::make_error(-1);
    if (--fh->fh_Count < 0)
        return FillBuffer(fh);
    return *fh->fh_Position++;
}

OSMARK_API int32_t FileBufferRefill(FileHandle* fh) noexcept
{
    if (fh == nullptr)
        return 0;
    if (fh->fh_Count > 0)
        return fh->fh_Count;
    // FillBuffer reads into a place of its own call when the handle has no buffer and
    // none can be had, where no byte can stay: the handle gets its buffer first, of one
    // byte at the least.
    if (fh->fh_Buffer == nullptr && has_flag(fh, FileFlagRead | FileFlagUpdate) &&
        !has_flag(fh, FileFlagMemory)) {
        const bool unbuffered = has_flag(fh, FileFlagUnbuffered);
        int32_t size = unbuffered ? 1 : osmark::kDefaultFileBufferSize;
        auto* buffer = static_cast<uint8_t*>(AllocVec(static_cast<uint32_t>(size)));
        if (buffer == nullptr && !unbuffered) {
            size = 1;
            buffer = static_cast<uint8_t*>(AllocVec(1));
            fh->fh_Flags |= FileFlagUnbuffered;
        }
        if (buffer == nullptr) {
            fh->fh_Flags |= FileFlagError;
            osmark::set_io_error(IoErrNoMemory);
            return 0;
        }
        attach_buffer(fh, buffer, size, true);
    }
    if (FillBuffer(fh) == -1)
        return 0;
    // FillBuffer hands out the first byte as FGetc does: it goes back to the unread.
    --fh->fh_Position;
    ++fh->fh_Count;
    return fh->fh_Count;
}

OSMARK_API char* FGets(FileHandle* fh, char* buffer, int32_t size) noexcept
{
    if (fh == nullptr || buffer == nullptr)
        return nullptr;
    if (size <= 1) {
        if (size == 1)
            buffer[0] = '\0';
        return buffer;
    }
    int32_t length = 0;
    while (length < size - 1) {
        // Fast path: take the run of buffered bytes up to a line end at once.
        if (fh->fh_Count > 0) {
            const int32_t room = std::min(fh->fh_Count, size - 1 - length);
            int32_t run = 0;
            while (run < room && !is_line_end(fh->fh_Position[run]))
                ++run;
            std::memcpy(buffer + length, fh->fh_Position, static_cast<size_t>(run));
            fh->fh_Position += run;
            fh->fh_Count -= run;
            length += run;
            if (run == room)
                continue;
        }
        const int32_t c = FGetc(fh);
        if (c == -1) {
            if (length == 0)
                return nullptr;
            break;
        }
        if (c == '\n')
            break;
        if (c == '\r') {
            const int32_t next = FGetc(fh);
            if (next != '\n' && next != -1)
                UnGetc(fh, next);
            break;
        }
        buffer[length++] = static_cast<char>(c);
    }
    buffer[length] = '\0';
    return buffer;
}

OSMARK_API int32_t UnGetc(FileHandle* fh, int32_t character) noexcept
{
    if (fh == nullptr)
        return osmark::make_error(-1);
    if (fh->fh_Unget != nullptr)
        return fh->fh_Unget(fh->fh_SystemHandle, character);
    if (!has_flag(fh, FileFlagRead | FileFlagUpdate) || fh->fh_Position == nullptr ||
        fh->fh_Buffer == nullptr)
        return -1;
    if (fh->fh_Position == fh->fh_Buffer) {
        if (fh->fh_Count != 0)
            return -1;
    } else {
        --fh->fh_Position;
    }
    fh->fh_Count = std::max(fh->fh_Count, 0) + 1;
    if (character == -1)
        return *fh->fh_Position;
    // A memory-backed buffer may be the caller's read-only data: write only a byte
    // that differs from the one already there.
    const uint8_t byte = static_cast<uint8_t>(character);
    if (*fh->fh_Position != byte)
        *fh->fh_Position = byte;
    return byte;
}

OSMARK_API int32_t Read(FileHandle* fh, void* buffer, int32_t count) noexcept
{
    if (fh == nullptr || buffer == nullptr || count < 1)
        return 0;
    auto* out = static_cast<uint8_t*>(buffer);
    int32_t done = 0;
    while (done < count) {
        if (fh->fh_Count > 0) {
            const int32_t run = std::min(fh->fh_Count, count - done);
            std::memcpy(out + done, fh->fh_Position, static_cast<size_t>(run));
            fh->fh_Position += run;
            fh->fh_Count -= run;
            done += run;
            continue;
        }
        const int32_t c = FGetc(fh);
        if (c < 0)
            break;
        out[done++] = static_cast<uint8_t>(c);
    }
    return done;
}

OSMARK_API int32_t FRead(FileHandle* fh, void* buffer, uint32_t size, uint32_t count) noexcept
{
    if (size == 0 || count == 0)
        return 0;
    // One call moves at most what a 32-bit count can say; ask for whole items only.
    const uint32_t items = std::min<uint64_t>(count, INT32_MAX / size);
    const int32_t done = Read(fh, buffer, static_cast<int32_t>(items * size));
    return static_cast<int32_t>(static_cast<uint32_t>(done) / size);
}

OSMARK_API int32_t FlushPutc(FileHandle* fh, int32_t character) noexcept
{
    if (fh == nullptr)
        return osmark::make_error(-1);
    if (has_flag(fh, FileFlagUpdate)) {
        fh->fh_Flags &= ~uint32_t{FileFlagRead | FileFlagEndOfFile};
        fh->fh_Flags |= FileFlagWrite;
    }
    if (!has_flag(fh, FileFlagWrite) || fh->fh_Write == nullptr || has_flag(fh, FileFlagMemory))
        return -1;
    if (has_flag(fh, FileFlagUnbuffered))
        return put_unbuffered(fh, character);
    if (fh->fh_Buffer == nullptr) {
        auto* buffer = static_cast<uint8_t*>(AllocVec(osmark::kDefaultFileBufferSize));
        if (buffer == nullptr) {
            fh->fh_Flags |= FileFlagUnbuffered;
            return put_unbuffered(fh, character);
        }
        attach_buffer(fh, buffer, osmark::kDefaultFileBufferSize, true);
        if (fh == Output() && osmark::is_console_output(fh))
            fh->fh_Flags |= FileFlagLineBuffered;
        if (!has_flag(fh, FileFlagLineBuffered)) {
            fh->fh_Count = fh->fh_BufferSize - 1;
            *fh->fh_Position++ = static_cast<uint8_t>(character);
            return character & 0xFF;
        }
    }
    if (has_flag(fh, FileFlagLineBuffered))
        return put_line_buffered(fh, character);
    return put_fully_buffered(fh, character);
}

OSMARK_API int32_t FPutc(FileHandle* fh, int32_t character) noexcept
{
    if (fh == nullptr)
        return osmark::make_error(-1);
    if (--fh->fh_Count >= 0) {
        *fh->fh_Position++ = static_cast<uint8_t>(character);
        return character & 0xFF;
    }
    return FlushPutc(fh, character);
}

OSMARK_API int32_t FPuts(FileHandle* fh, const char* string) noexcept
{
    if (fh == nullptr)
        return 0;
    if (string == nullptr || string[0] == '\0')
        return 0;
    // An unbuffered handle writes the string through a buffer of the call, so that it
    // goes out in one piece.
    const bool unbuffered = has_flag(fh, FileFlagUnbuffered);
    uint8_t temporary[osmark::kDefaultFileBufferSize];
    FileHandle saved = *fh;
    if (unbuffered) {
        fh->fh_Flags &= ~uint32_t{FileFlagUnbuffered | FileFlagOwnBuffer | FileFlagLineBuffered};
        attach_buffer(fh, temporary, sizeof temporary, false);
        fh->fh_Count = 0;
    }
    int32_t result = 0;
    for (const char* c = string; *c != '\0'; ++c)
        result = FPutc(fh, static_cast<uint8_t>(*c));
    if (unbuffered) {
        if (!Flush(fh))
            result = -1;
        fh->fh_Buffer = saved.fh_Buffer;
        fh->fh_Position = saved.fh_Position;
        fh->fh_BufferSize = saved.fh_BufferSize;
        fh->fh_Count = 0;
        fh->fh_Flags |= saved.fh_Flags & (FileFlagUnbuffered | FileFlagOwnBuffer | FileFlagLineBuffered);
    }
    return result;
}

OSMARK_API int32_t PutStr(const char* string) noexcept
{
    FileHandle* out = Output();
    if (out == nullptr)
        return 0;
    if (string == nullptr)
        return 1;
    for (const char* c = string; *c != '\0'; ++c) {
        if (FPutc(out, static_cast<uint8_t>(*c)) == -1)
            return 0;
    }
    return 1;
}

OSMARK_API int32_t Write(FileHandle* fh, const void* buffer, int32_t count) noexcept
{
    if (fh == nullptr || buffer == nullptr || count < 1)
        return 0;
    const auto* in = static_cast<const uint8_t*>(buffer);
    int32_t written = 0;
    while (written < count) {
        const uint8_t byte = in[written];
        if (has_flag(fh, FileFlagLineBuffered) && fh->fh_Buffer != nullptr) {
            const int32_t held = held_bytes(fh);
            if (byte != '\n' && held + 1 < fh->fh_BufferSize) {
                *fh->fh_Position++ = byte;
                fh->fh_Count = -(held + 1);
                ++written;
                continue;
            }
        } else if (!has_flag(fh, FileFlagLineBuffered) && fh->fh_Count > 0) {
            const int32_t run = std::min(fh->fh_Count, count - written);
            std::memcpy(fh->fh_Position, in + written, static_cast<size_t>(run));
            fh->fh_Position += run;
            fh->fh_Count -= run;
            written += run;
            continue;
        }
        if (FlushPutc(fh, byte) == -1)
            break;
        ++written;
    }
    return written;
}

OSMARK_API int32_t FWrite(FileHandle* fh, const void* buffer, uint32_t size, uint32_t count) noexcept
{
    if (size == 0 || count == 0)
        return 0;
    const uint32_t items = std::min<uint64_t>(count, INT32_MAX / size);
    const int32_t done = Write(fh, buffer, static_cast<int32_t>(items * size));
    return static_cast<int32_t>(static_cast<uint32_t>(done) / size);
}

OSMARK_API int32_t WriteChars(const void* buffer, int32_t count) noexcept
{
    return Write(Output(), buffer, count);
}

OSMARK_API int32_t Flush(FileHandle* fh) noexcept
{
    if (fh == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    if (!has_flag(fh, FileFlagWrite) || has_flag(fh, FileFlagUnbuffered | FileFlagMemory) ||
        fh->fh_Buffer == nullptr)
        return 1;
    const bool written = write_out_held(fh);
    fh->fh_Count = has_flag(fh, FileFlagLineBuffered) ? 0 : fh->fh_BufferSize;
    return written ? 1 : 0;
}

OSMARK_API int32_t Purge(FileHandle* fh) noexcept
{
    if (fh == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    fh->fh_Position = fh->fh_Buffer;
    const bool empty_count = has_flag(fh, FileFlagRead | FileFlagUnbuffered | FileFlagLineBuffered);
    fh->fh_Count = empty_count ? 0 : fh->fh_BufferSize;
    return 1;
}

OSMARK_API int32_t SetVBuf(FileHandle* fh, void* buffer, int32_t mode, int32_t size) noexcept
{
    if (fh == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    // The buffer of a memory-backed handle is its content: never drop it.
    if (has_flag(fh, FileFlagMemory))
        return 0;
    Flush(fh);
    if (mode == 2) {
        drop_buffer(fh);
        fh->fh_Flags |= FileFlagUnbuffered;
        fh->fh_Flags &= ~uint32_t{FileFlagLineBuffered};
        return 1;
    }
    if ((mode != 0 && mode != 1) || size <= 0)
        return 0;
    auto* fresh = static_cast<uint8_t*>(buffer);
    const bool owned = fresh == nullptr;
    if (owned) {
        fresh = static_cast<uint8_t*>(AllocVec(static_cast<uint32_t>(size)));
        if (fresh == nullptr)
            return 0;
    }
    drop_buffer(fh);
    fh->fh_Flags &= ~uint32_t{FileFlagUnbuffered | FileFlagLineBuffered};
    if (mode == 1)
        fh->fh_Flags |= FileFlagLineBuffered;
    attach_buffer(fh, fresh, size, owned);
    fh->fh_Count = 0;
    return 1;
}

OSMARK_API int32_t Seek(FileHandle* fh, int32_t position, int32_t mode) noexcept
{
    if (fh == nullptr)
        return osmark::make_error(-1);
    const bool memory = has_flag(fh, FileFlagMemory);
    if (fh->fh_Seek == nullptr && !memory)
        return -1;
    fh->fh_Flags &= ~uint32_t{FileFlagEndOfFile};

    if (memory) {
        const int64_t current = fh->fh_Position - fh->fh_Buffer;
        int64_t target = 0;
        switch (mode) {
        case 0: target = position; break;
        case 1: target = current + position; break;
        case 2: target = int64_t{fh->fh_BufferSize} + position; break;
        default:
            osmark::set_io_error(IoErrRequiredArgMissing);
            return -1;
        }
        target = std::clamp<int64_t>(target, 0, fh->fh_BufferSize);
        fh->fh_Position = fh->fh_Buffer + target;
        fh->fh_Count = fh->fh_BufferSize - static_cast<int32_t>(target);
        return static_cast<int32_t>(target);
    }

    if (has_flag(fh, FileFlagRead)) {
        // After the end of the file the count runs below zero; nothing is buffered then.
        const int32_t buffered = std::max(fh->fh_Count, 0);
        int64_t offset = position;
        int32_t resync = 0;
        if ((mode == 0 || mode == 1) && fh->fh_Buffer != nullptr && !has_flag(fh, FileFlagUnbuffered)) {
            const int32_t system_position = fh->fh_Seek(fh->fh_SystemHandle, 0, 1);
            if (system_position == -1)
                return -1;
            const int64_t distance =
                mode == 0 ? int64_t{position} + buffered - system_position : int64_t{position};
            if (mode == 1)
                offset = int64_t{position} - buffered;
            const int64_t back_room = fh->fh_Buffer - fh->fh_Position;
            if (!has_flag(fh, FileFlagUpdate) && buffered >= 1 && distance >= back_room &&
                distance <= buffered) {
                fh->fh_Position += distance;
                fh->fh_Count = buffered - static_cast<int32_t>(distance);
                return system_position - fh->fh_Count;
            }
            resync = static_cast<int32_t>(offset & 1);
        }
        if (has_flag(fh, FileFlagUpdate)) {
            fh->fh_Position = fh->fh_Buffer;
            fh->fh_Flags &= ~uint32_t{FileFlagRead};
            resync = 0;
        }
        if (offset < INT32_MIN || offset > INT32_MAX)
            return -1;
        const int32_t result = fh->fh_Seek(fh->fh_SystemHandle, static_cast<int32_t>(offset) - resync, mode);
        fh->fh_Count = 0;
        if (result == -1)
            return -1;
        if (resync != 0) {
            // Refill from the even offset below the target and step over the byte
            // before it.
            if (FillBuffer(fh) == -1)
                return -1;
            return result + 1;
        }
        return result;
    }

    if (has_flag(fh, FileFlagWrite | FileFlagUpdate)) {
        Flush(fh);
        if (has_flag(fh, FileFlagUpdate)) {
            fh->fh_Count = 0;
            fh->fh_Flags &= ~uint32_t{FileFlagWrite};
            fh->fh_Position = fh->fh_Buffer;
        }
        return fh->fh_Seek(fh->fh_SystemHandle, position, mode);
    }
    return -1;
}

}

namespace osmark {

bool is_busy(const FileHandle* fh)
{
    return (fh->fh_Flags & kBusyFlags) != 0;
}

void release_buffer(FileHandle* fh)
{
    drop_buffer(fh);
}

}
