// Texts of error codes.

#include "osmark/errors.h"

#include "core/runtime/make_error.h"
#include "osmark/files.h"
#include "osmark/format.h"
#include "osmark/gui_msgs.h"

#include <cstring>

namespace {

constexpr int32_t kErrorCodeWordId = -403; // "error code"
constexpr IoErrCode kFirstLibraryCode = -1;
constexpr IoErrCode kLastLibraryCode = -398;
constexpr char kMissingText[] = "?????";
constexpr char kErrorCodeWord[] = "error code";

// The fallback text is formatted here; a replacement of the "error code" word too long
// to leave room for the number is cut to this bound.
constexpr int32_t kWorkBufferSize = 256;

bool is_missing(const char* text)
{
    return std::strcmp(text, kMissingText) == 0;
}

// The code's text: its catalogue text for a library code that has one, otherwise
// "error code" followed directly by the number, formatted into work.
const char* text_of(IoErrCode code, char (&work)[kWorkBufferSize])
{
    if (code <= kFirstLibraryCode && code >= kLastLibraryCode) {
        const char* text = GUIMsg(code);
        if (!is_missing(text))
            return text;
    }
    const char* word = GUIMsg(kErrorCodeWordId);
    if (is_missing(word))
        word = kErrorCodeWord;
    // SnPrintf leaves no terminator when the text fills the buffer: the last byte
    // stays the NUL written here.
    work[kWorkBufferSize - 1] = '\0';
    SnPrintf(work, kWorkBufferSize - 1, "%s%ld", word, code);
    return work;
}

}

extern "C" {

OSMARK_API int32_t Fault(IoErrCode code, const char* header, char* buffer, uint32_t size) noexcept
{
    if (buffer == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    if (size > 0)
        buffer[0] = '\0';
    char work[kWorkBufferSize];
    const char* text = text_of(code, work);
    const size_t text_length = std::strlen(text);
    const size_t header_length = header != nullptr ? std::strlen(header) : 0;
    const size_t needed = text_length + 1 + (header != nullptr ? header_length + 2 : 0);
    if (needed > size) {
        osmark::set_io_error(IoErrBufferOverflow);
        return 0;
    }
    char* out = buffer;
    if (header != nullptr) {
        std::memcpy(out, header, header_length);
        out += header_length;
        *out++ = ':';
        *out++ = ' ';
    }
    std::memcpy(out, text, text_length + 1);
    return 1;
}

OSMARK_API int32_t PrintFault(IoErrCode code, const char* header) noexcept
{
    char work[kWorkBufferSize];
    const char* text = text_of(code, work);
    if (header != nullptr) {
        PutStr(header);
        PutStr(": ");
    }
    PutStr(text);
    return 1;
}

}
