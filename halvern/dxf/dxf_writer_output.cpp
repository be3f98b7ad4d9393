// The group layer of the DXF writer: groups, numbers and handles on a file handle.
//
// A group costs one Write into the handle's buffer: the code, the value and both line
// ends are put together in a line on the stack first (long values go out in pieces).
// Integers and handles are formatted here with std::to_chars, which gives the same text
// as the "%3ld", "%ld" and "%lX" of Osmark's formatter without passing every character
// through a callback; reals go through Osmark's own conversion, whose digits the files
// must keep. Nothing is allocated per group.

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>

#include "dxf/dxf_writer_internal.h"
#include "osmark/files.h"
#include "osmark/format.h"
#include "osmark/strings.h"

namespace halvern::dxf_writer {

namespace {

// The handle that the next WriteDXFHandle writes. Starts where a whole-drawing file
// starts, so that a block or item file written first has no handle 0 (which DXF
// reserves for "no owner"). Each thread numbers the files it writes on its own: two
// files written side by side never share one handle sequence.
thread_local uint32_t g_next_handle = kFirstHandle;

// A line of a group with room for a code, a real and both line ends.
constexpr size_t kLineCapacity = 320;
constexpr int kCodeWidth = 3;
constexpr char kLineEnd[] = "\r\n";
constexpr size_t kLineEndLength = sizeof kLineEnd - 1;

// Writes every byte or marks the handle as failed.
void put(FileHandle& handle, const char* bytes, size_t count) noexcept
{
    while (count > 0 && !has_failed(handle)) {
        const auto chunk = static_cast<int32_t>(std::min<size_t>(count, INT32_MAX));
        if (Write(&handle, bytes, chunk) != chunk) {
            handle.fh_Flags |= FileFlagError;
            return;
        }
        bytes += chunk;
        count -= static_cast<size_t>(chunk);
    }
}

// "%3ld" of the code and the line end; returns the length.
size_t format_code(char* line, int32_t code) noexcept
{
    char digits[16];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, code);
    (void)error;
    const auto length = static_cast<size_t>(end - digits);
    const size_t padding = length < kCodeWidth ? kCodeWidth - length : 0;
    std::memset(line, ' ', padding);
    std::memcpy(line + padding, digits, length);
    std::memcpy(line + padding + length, kLineEnd, kLineEndLength);
    return padding + length + kLineEndLength;
}

// Cuts the trailing zeros of an exponent form's mantissa, keeping one digit after the
// point: "1.5000000000E+250" becomes "1.5E+250".
void trim_mantissa(char* text) noexcept
{
    char* exponent = std::strchr(text, 'E');
    const char* point = std::strchr(text, '.');
    if (exponent == nullptr || point == nullptr || point > exponent)
        return;
    char* last = exponent;
    while (last - 1 > point + 1 && last[-1] == '0')
        --last;
    std::memmove(last, exponent, std::strlen(exponent) + 1);
}

}

void write_group(FileHandle& handle, int32_t code, std::string_view text) noexcept
{
    if (has_failed(handle))
        return;
    char line[kLineCapacity];
    size_t length = format_code(line, code);
    if (length + text.size() + kLineEndLength > sizeof line) {
        put(handle, line, length);
        put(handle, text.data(), text.size());
        put(handle, kLineEnd, kLineEndLength);
        return;
    }
    std::memcpy(line + length, text.data(), text.size());
    length += text.size();
    std::memcpy(line + length, kLineEnd, kLineEndLength);
    put(handle, line, length + kLineEndLength);
}

void write_integer(FileHandle& handle, int32_t code, int32_t value) noexcept
{
    char digits[16];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    (void)error;
    write_group(handle, code, std::string_view(digits, static_cast<size_t>(end - digits)));
}

void write_hex(FileHandle& handle, int32_t code, uint32_t value) noexcept
{
    char digits[16];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value, 16);
    (void)error;
    std::transform(digits, end, digits, [](char c) {
        return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    write_group(handle, code, std::string_view(digits, static_cast<size_t>(end - digits)));
}

void write_real(FileHandle& handle, int32_t code, double value) noexcept
{
    if (has_failed(handle))
        return;
    char text[DXF_REAL_BUFFER_SIZE];
    write_group(handle, code, DXFFormatReal(text, value));
}

void write_point(FileHandle& handle, int32_t base_code, const Point3DRec& point) noexcept
{
    write_real(handle, base_code, point.x);
    write_real(handle, base_code + 10, point.y);
    write_real(handle, base_code + 20, point.z);
}

void write_next_handle(FileHandle& handle) noexcept
{
    write_hex(handle, 5, g_next_handle++);
}

void write_fixed(FileHandle& handle, std::span<const FixedGroup> groups) noexcept
{
    for (const FixedGroup& group : groups) {
        if (group.text == kNextHandle)
            write_next_handle(handle);
        else
            write_group(handle, group.code, group.text);
    }
}

void reset_handle_counter() noexcept
{
    g_next_handle = kFirstHandle;
}

}

extern "C" {

HALVERN_API void WriteDXFGroup(int32_t code, FileHandle* handle, const char* text) noexcept
{
    if (handle == nullptr)
        return;
    halvern::dxf_writer::write_group(*handle, code, text != nullptr ? text : "");
}

HALVERN_API void WriteDXFHandle(FileHandle* handle) noexcept
{
    if (handle == nullptr)
        return;
    halvern::dxf_writer::write_next_handle(*handle);
}

HALVERN_API char* DXFFormatReal(char* buffer, double value) noexcept
{
    if (buffer == nullptr)
        return nullptr;
    // "%.10lf" holds every value below 1e243 in the buffer; anything longer would be
    // cut, so it is written with an exponent instead, which DXF readers accept too.
    const int32_t length = SnPrintf(buffer, DXF_REAL_BUFFER_SIZE, "%.10lf", value);
    if (length >= 0 && length < DXF_REAL_BUFFER_SIZE) {
        StrRmZeros(buffer, 0);
        return buffer;
    }
    SnPrintf(buffer, DXF_REAL_BUFFER_SIZE, "%.10E", value);
    buffer[DXF_REAL_BUFFER_SIZE - 1] = '\0';
    halvern::dxf_writer::trim_mantissa(buffer);
    return buffer;
}

}
