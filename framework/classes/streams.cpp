// TStream, THandleStream, TFileStream and TMemoryStream.

#include "framework/classes.h"

#include "platform/files.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace fw {

namespace {

constexpr int32_t kCopyBlock = 0xF000;

DWORD share_mode_of(uint16_t mode)
{
    switch ((mode >> 4) & 0x0F) {
    case 2:
        return FILE_SHARE_READ;
    case 3:
        return FILE_SHARE_WRITE;
    case 4:
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default:
        return 0;
    }
}

DWORD access_of(uint16_t mode)
{
    switch (mode & 0x03) {
    case fmOpenWrite:
        return GENERIC_WRITE;
    case fmOpenReadWrite:
        return GENERIC_READ | GENERIC_WRITE;
    default:
        return GENERIC_READ;
    }
}

HANDLE open_file(const QString& file_name, uint16_t mode)
{
    const std::string path = PathToUtf8(file_name);
    if ((mode & fmCreate) == fmCreate) {
        const HANDLE handle =
            CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, share_mode_of(mode & 0xFF),
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            throw EFCreateError(QStringLiteral("Cannot create file %1").arg(file_name));
        return handle;
    }
    const HANDLE handle = CreateFileA(path.c_str(), access_of(mode), share_mode_of(mode), nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw EFOpenError(QStringLiteral("Cannot open file %1").arg(file_name));
    return handle;
}

}

// ---- TStream -------------------------------------------------------------------------------

void TStream::ReadBuffer(void* buffer, int32_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(QStringLiteral("Stream read error"));
}

void TStream::WriteBuffer(const void* buffer, int32_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError(QStringLiteral("Stream write error"));
}

int64_t TStream::CopyFrom(TStream* source, int64_t count)
{
    if (count == 0) {
        source->SetPosition(0);
        count = source->Size();
    }
    std::vector<std::byte> block(
        static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(count, 1), kCopyBlock)));
    for (int64_t left = count; left > 0;) {
        const int32_t part = static_cast<int32_t>(std::min<int64_t>(left, kCopyBlock));
        source->ReadBuffer(block.data(), part);
        WriteBuffer(block.data(), part);
        left -= part;
    }
    return count;
}

int64_t TStream::GetSize()
{
    const int64_t position = Seek(0, soCurrent);
    const int64_t size = Seek(0, soEnd);
    Seek(position, soBeginning);
    return size;
}

void TStream::SetStreamSize(int64_t /*size*/)
{
}

// ---- THandleStream ---------------------------------------------------------------------------

int32_t THandleStream::Read(void* buffer, int32_t count)
{
    DWORD done = 0;
    if (count <= 0 || !ReadFile(m_handle, buffer, static_cast<DWORD>(count), &done, nullptr))
        return 0;
    return static_cast<int32_t>(done);
}

int32_t THandleStream::Write(const void* buffer, int32_t count)
{
    DWORD done = 0;
    if (count <= 0)
        return 0;
    WriteFile(m_handle, buffer, static_cast<DWORD>(count), &done, nullptr);
    return static_cast<int32_t>(done);
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin)
{
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    LARGE_INTEGER position{};
    const DWORD method = origin == soBeginning ? FILE_BEGIN
                         : origin == soCurrent ? FILE_CURRENT
                                               : FILE_END;
    if (!SetFilePointerEx(m_handle, distance, &position, method))
        return -1;
    return position.QuadPart;
}

void THandleStream::SetStreamSize(int64_t size)
{
    if (Seek(size, soBeginning) != size || !SetEndOfFile(m_handle))
        throw EWriteError(QStringLiteral("Stream write error"));
}

// ---- TFileStream ------------------------------------------------------------------------------

TFileStream::TFileStream(const QString& file_name, uint16_t mode)
    : THandleStream(open_file(file_name, mode)), m_file_name(file_name)
{
}

TFileStream::~TFileStream()
{
    CloseHandle(m_handle);
}

// ---- TMemoryStream ------------------------------------------------------------------------------

int32_t TMemoryStream::Read(void* buffer, int32_t count)
{
    const int64_t size = GetSize();
    if (count <= 0 || m_position < 0 || m_position >= size)
        return 0;
    const int32_t done = static_cast<int32_t>(std::min<int64_t>(count, size - m_position));
    std::memcpy(buffer, m_bytes.data() + m_position, static_cast<size_t>(done));
    m_position += done;
    return done;
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0 || m_position < 0 || m_position > INT64_MAX - count)
        return 0;
    const int64_t end = m_position + count;
    if (end > GetSize())
        SetStreamSize(end);
    std::memcpy(m_bytes.data() + m_position, buffer, static_cast<size_t>(count));
    m_position = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? m_position : GetSize();
    if (__builtin_add_overflow(base, offset, &m_position))
        m_position = offset < 0 ? INT64_MIN : INT64_MAX;
    return m_position;
}

void TMemoryStream::Clear()
{
    m_bytes.clear();
    m_bytes.shrink_to_fit();
    m_position = 0;
}

void TMemoryStream::SetStreamSize(int64_t size)
{
    if (size < 0)
        size = 0;
    try {
        m_bytes.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(QStringLiteral("Out of memory while expanding memory stream"));
    } catch (const std::length_error&) {
        throw EOutOfMemory(QStringLiteral("Out of memory while expanding memory stream"));
    }
    if (m_position > size)
        m_position = size;
}

void TMemoryStream::LoadFromStream(TStream* stream)
{
    stream->SetPosition(0);
    const int64_t size = stream->Size();
    SetStreamSize(size);
    m_position = 0;
    for (int64_t done = 0; done < size;) {
        const int32_t part = static_cast<int32_t>(std::min<int64_t>(size - done, INT32_MAX));
        stream->ReadBuffer(m_bytes.data() + done, part);
        done += part;
    }
}

void TMemoryStream::LoadFromFile(const QString& file_name)
{
    TFileStream stream(file_name, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TMemoryStream::SaveToStream(TStream* stream)
{
    const int64_t size = GetSize();
    for (int64_t done = 0; done < size;) {
        const int32_t part = static_cast<int32_t>(std::min<int64_t>(size - done, INT32_MAX));
        stream->WriteBuffer(m_bytes.data() + done, part);
        done += part;
    }
}

void TMemoryStream::SaveToFile(const QString& file_name)
{
    TFileStream stream(file_name, fmCreate);
    SaveToStream(&stream);
}

}
