// Feeds bytes to the number parsers that read every text format: StrToLong in each
// base, StrToDouble and StrToNum. Besides crashes, a parser must never report an end
// outside the text it was given.

#include "osmark/strings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check_end(const std::string& text, const char* end)
{
    if (end == nullptr || end < text.c_str() || end > text.c_str() + text.size())
        std::abort();
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The parsers read NUL-terminated text; an embedded NUL simply ends it early.
    const std::string text(reinterpret_cast<const char*>(data), size);
    char* end = nullptr;
    for (const int32_t base : {0, 2, 8, 10, 16, 7}) {
        StrToLong(text.c_str(), &end, base);
        check_end(text, end);
        StrToLongDef(text.c_str(), base, -1);
        int32_t integer_flag = -1;
        StrToNum(text.c_str(), &end, &integer_flag, base);
        check_end(text, end);
        if (integer_flag != 0 && integer_flag != 1)
            std::abort();
    }
    StrToDouble(text.c_str(), &end);
    check_end(text, end);
    return 0;
}
