// Fuzz target of the formatter: arbitrary formats through SnPrintf's array form over
// a slot array of exactly as many slots as the format has characters (the most any
// format may read), into a buffer of a chosen size.
//
// Input: a control byte, then the format up to the first NUL, then the bytes of the
// slots. Control bit 0 picks what the slots hold:
//  - 0: each slot points at a writable string, so any conversion may take it as a
//    string or a count target; "*" becomes "1", since an address is no width;
//  - 1: each slot holds a number made of the slot bytes, so reals of every kind
//    occur; s, n and N become d, since a number is no address.
// Bits 1 to 7 are the buffer size (0 to 127). Long digit runs are skipped, and the
// numbers keep their low 32 bits below 4096, so that no width or precision asks for
// gigabytes of output: large fields are legal, only slow.

#include "osmark/format.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr size_t kMaxFormatLength = 160;
constexpr int kMaxDigitRun = 4;

// Every character the callback receives, the final NUL included.
void collect(char character, void* data)
{
    static_cast<std::string*>(data)->push_back(character);
}

bool has_long_digit_run(const std::string& format)
{
    int run = 0;
    for (const char c : format) {
        run = (c >= '0' && c <= '9') ? run + 1 : 0;
        if (run > kMaxDigitRun)
            return true;
    }
    return false;
}

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool numbers = (data[0] & 1) != 0;
    const int32_t buffer_size = data[0] >> 1;
    const char* text = reinterpret_cast<const char*>(data + 1);
    const size_t rest = size - 1;
    const size_t format_end = strnlen(text, rest);
    std::string format(text, std::min(format_end, kMaxFormatLength));
    const uint8_t* slot_bytes = data + 1 + std::min(format_end + 1, rest);
    const size_t slot_byte_count = size - static_cast<size_t>(slot_bytes - data);

    for (char& c : format) {
        if (numbers && (c == 's' || c == 'n' || c == 'N'))
            c = 'd';
        if (!numbers && c == '*')
            c = '1';
    }
    if (has_long_digit_run(format))
        return 0;

    // Every slot a string and count target: 16 bytes, the last always NUL.
    alignas(8) static char target[16];
    std::memcpy(target, "fuzzing target", 15);
    target[15] = '\0';

    const size_t slot_count = format.size() > 0 ? format.size() : 1;
    auto slots = std::make_unique<uintptr_t[]>(slot_count);
    for (size_t i = 0; i < slot_count; ++i) {
        if (!numbers) {
            slots[i] = reinterpret_cast<uintptr_t>(target);
            continue;
        }
        uint64_t bits = 0;
        for (size_t b = 0; b < 8; ++b) {
            const size_t at = i * 8 + b;
            if (at < slot_byte_count)
                bits |= uint64_t{slot_bytes[at]} << (8 * b);
        }
        slots[i] = static_cast<uintptr_t>(bits & 0xFFFFFFFF00000FFFull);
    }

    std::string produced;
    const int32_t count = RawDoFmtA(collect, &produced, format.c_str(), slots.get());
    check(!produced.empty() && produced.back() == '\0');
    produced.pop_back();
    check(count == static_cast<int32_t>(produced.size()));

    // The bounded buffer lies on the heap at its exact size: a store past it is caught.
    auto buffer = std::make_unique<char[]>(static_cast<size_t>(buffer_size) + 1);
    std::memcpy(target, "fuzzing target", 15);
    check(VSnPrintf(buffer.get(), buffer_size, format.c_str(), slots.get()) == count);
    // Each run starts from the same target, so %n and %s see the same bytes.
    const size_t stored = std::min(static_cast<size_t>(buffer_size), produced.size());
    check(std::memcmp(buffer.get(), produced.data(), stored) == 0);
    check(stored == static_cast<size_t>(buffer_size) || buffer[stored] == '\0');

    auto unbounded = std::make_unique<char[]>(produced.size() + 1);
    std::memcpy(target, "fuzzing target", 15);
    check(VSPrintf(unbounded.get(), format.c_str(), slots.get()) == count);
    check(std::memcmp(unbounded.get(), produced.data(), produced.size()) == 0);
    check(unbounded[produced.size()] == '\0');
    return 0;
}
