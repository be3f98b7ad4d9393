// The pattern compiler: a pattern text becomes the token string of a ParsedPattern.
//
// The token buffer starts at 64 bytes and doubles whenever fewer than 10 bytes (35
// before a class, which takes up to 34) would remain before the next item, up to
// 65536 bytes. Every store also checks the room itself, so an item that emits more
// than the reserve (a class with two pending prefixes) still never writes past the
// buffer.

#include "osmark/patterns.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr uint32_t kInitialBufferSize = 64;
constexpr uint32_t kMaxBufferSize = 65536;
constexpr uint32_t kItemReserve = 10;
constexpr uint32_t kClassReserve = 35;
constexpr int kMaxNesting = 100;
constexpr size_t kSetBytes = 32;

// The prefixes that wait for their operand, and which came first: their end tokens
// close in the reverse order.
struct PendingPrefixes {
    bool is_not = false;
    bool is_repeat = false;
    bool not_first = false;

    bool any() const { return is_not || is_repeat; }
};

class Compiler {
public:
    Compiler(const char* text, ParsedPattern* record)
        : m_text(reinterpret_cast<const uint8_t*>(text)), m_record(record)
    {
    }

    // 0, or the error code.
    IoErrCode compile(int depth);
    IoErrCode finish() { return emit(PatternTokenEnd); }
    bool has_wildcards() const { return m_has_wildcards; }

private:
    uint8_t peek(size_t ahead = 0) const { return m_text[m_position + ahead]; }
    IoErrCode reserve(uint32_t bytes);
    IoErrCode emit(uint8_t byte);
    IoErrCode close_operand(PendingPrefixes& pending);
    IoErrCode compile_class();
    IoErrCode compile_item(int depth, PendingPrefixes& pending);

    const uint8_t* m_text;
    size_t m_position = 0;
    ParsedPattern* m_record;
    bool m_has_wildcards = false;
};

IoErrCode Compiler::reserve(uint32_t bytes)
{
    while (m_record->pp_BufferSize - m_record->pp_TokenLength < bytes) {
        const uint32_t size = m_record->pp_BufferSize * 2;
        if (size > kMaxBufferSize)
            return osmark::make_error(IoErrPatternTooBig);
        void* grown = ReAllocVec(m_record->pp_Tokens, size);
        if (grown == nullptr)
            return osmark::make_error(IoErrNoMemory);
        m_record->pp_Tokens = static_cast<uint8_t*>(grown);
        m_record->pp_BufferSize = size;
    }
    return IoErrNone;
}

IoErrCode Compiler::emit(uint8_t byte)
{
    if (const IoErrCode error = reserve(1); error != IoErrNone)
        return error;
    m_record->pp_Tokens[m_record->pp_TokenLength++] = byte;
    return IoErrNone;
}

IoErrCode Compiler::close_operand(PendingPrefixes& pending)
{
    IoErrCode error = IoErrNone;
    if (pending.is_not && pending.is_repeat) {
        const uint8_t inner = pending.not_first ? PatternTokenRepeatEnd : PatternTokenNotEnd;
        const uint8_t outer = pending.not_first ? PatternTokenNotEnd : PatternTokenRepeatEnd;
        error = emit(inner);
        if (error == IoErrNone)
            error = emit(outer);
    } else if (pending.is_not) {
        error = emit(PatternTokenNotEnd);
    } else if (pending.is_repeat) {
        error = emit(PatternTokenRepeatEnd);
    }
    pending = PendingPrefixes{};
    return error;
}

// "[" or "[!" has been seen at the current position.
IoErrCode Compiler::compile_class()
{
    ++m_position;
    const bool negated = peek() == '!';
    if (negated)
        ++m_position;
    std::array<uint8_t, kSetBytes> set{};
    const auto add = [&set](unsigned first, unsigned last) {
        for (unsigned c = first; c <= last; ++c)
            set[c / 8] = static_cast<uint8_t>(set[c / 8] | (1u << (c % 8)));
    };
    for (bool first_member = true;; first_member = false) {
        uint8_t member = peek();
        if (member == 0)
            return osmark::make_error(IoErrPatternEnd);
        ++m_position;
        if (member == ']' && !first_member)
            break;
        if (member == '`') {
            member = peek();
            if (member == 0)
                return osmark::make_error(IoErrPatternEnd);
            ++m_position;
        }
        if (peek() == '-' && peek(1) != 0) {
            const uint8_t last = peek(1);
            m_position += 2;
            if (member <= last)
                add(member, last);
        } else {
            add(member, member);
        }
    }
    size_t length = kSetBytes;
    while (length > 0 && set[length - 1] == 0)
        --length;
    IoErrCode error = emit(negated ? PatternTokenNotClass : PatternTokenClass);
    if (error == IoErrNone)
        error = emit(static_cast<uint8_t>(length));
    for (size_t i = 0; i < length && error == IoErrNone; ++i)
        error = emit(set[i]);
    return error;
}

// One item at the current position (not a ")" and not the end of the text).
IoErrCode Compiler::compile_item(int depth, PendingPrefixes& pending)
{
    const uint8_t c = peek();
    const bool is_last = peek(1) == 0;
    switch (c) {
    case '!':
        m_has_wildcards = true;
        if (is_last)
            return osmark::make_error(IoErrBadPattern);
        ++m_position;
        if (!pending.any())
            pending.not_first = true;
        pending.is_not = true;
        return emit(PatternTokenNot);
    case '#':
        m_has_wildcards = true;
        if (is_last)
            return osmark::make_error(IoErrBadPattern);
        if (peek(1) == '?') {
            m_position += 2;
            if (const IoErrCode error = emit(PatternTokenStar); error != IoErrNone)
                return error;
            return close_operand(pending);
        }
        ++m_position;
        if (!pending.any())
            pending.not_first = false;
        pending.is_repeat = true;
        return emit(PatternTokenRepeat);
    case '%':
        m_has_wildcards = true;
        if (pending.any())
            return osmark::make_error(IoErrBadPattern);
        ++m_position;
        return emit(PatternTokenEmpty);
    case '(': {
        m_has_wildcards = true;
        ++m_position;
        if (const IoErrCode error = emit(PatternTokenGroup); error != IoErrNone)
            return error;
        if (const IoErrCode error = compile(depth + 1); error != IoErrNone)
            return error;
        ++m_position; // the ")" that ended the group's content
        if (const IoErrCode error = emit(PatternTokenGroupEnd); error != IoErrNone)
            return error;
        return close_operand(pending);
    }
    case '|':
        m_has_wildcards = true;
        // An alternative cannot start while a prefix still waits for its operand.
        if (depth == 0 || pending.any())
            return osmark::make_error(IoErrBadPattern);
        ++m_position;
        return emit(PatternTokenAlternative);
    case '*':
    case '?': {
        m_has_wildcards = true;
        ++m_position;
        const IoErrCode error = emit(c == '*' ? PatternTokenStar : PatternTokenAny);
        return error != IoErrNone ? error : close_operand(pending);
    }
    case '[': {
        m_has_wildcards = true;
        const IoErrCode error = compile_class();
        return error != IoErrNone ? error : close_operand(pending);
    }
    case '`': {
        if (is_last)
            return osmark::make_error(IoErrBadPattern);
        const uint8_t literal = peek(1);
        m_position += 2;
        const IoErrCode error = emit(literal);
        return error != IoErrNone ? error : close_operand(pending);
    }
    default: {
        ++m_position;
        const IoErrCode error = emit(c);
        return error != IoErrNone ? error : close_operand(pending);
    }
    }
}

// Compiles items until the end of the text (depth 0) or the ")" that ends a group's
// content (left unread for the caller).
IoErrCode Compiler::compile(int depth)
{
    if (depth > kMaxNesting)
        return osmark::make_error(IoErrPatternNesting);
    PendingPrefixes pending;
    for (;;) {
        const uint8_t c = peek();
        if (c == 0) {
            if (depth > 0)
                return osmark::make_error(IoErrPatternEnd);
            if (pending.any())
                return osmark::make_error(IoErrBadPattern);
            return IoErrNone;
        }
        if (c == ')') {
            // A group cannot end while a prefix still waits for its operand.
            if (depth == 0 || pending.any())
                return osmark::make_error(IoErrBadPattern);
            return IoErrNone;
        }
        if (const IoErrCode error = reserve(c == '[' ? kClassReserve : kItemReserve); error != IoErrNone)
            return error;
        if (const IoErrCode error = compile_item(depth, pending); error != IoErrNone)
            return error;
    }
}

int32_t fail(IoErrCode code, platform::SourceSite where = platform::SourceSite::current())
{
    osmark::set_io_error(code, where);
    return -1;
}

}

extern "C" {

OSMARK_API int32_t ParsePattern(const char* text, ParsedPattern* record) noexcept
{
    if (record != nullptr)
        *record = ParsedPattern{};
    if (text == nullptr || record == nullptr)
        return fail(IoErrRequiredArgMissing);
    if (text[0] == '\0')
        return 0;
    record->pp_Tokens = static_cast<uint8_t*>(AllocVec(kInitialBufferSize));
    if (record->pp_Tokens == nullptr)
        return fail(IoErrNoMemory);
    record->pp_BufferSize = kInitialBufferSize;

    Compiler compiler(text, record);
    IoErrCode error = compiler.compile(0);
    if (error == IoErrNone)
        error = compiler.finish();
    if (error != IoErrNone) {
        record->pp_Tokens[0] = PatternTokenEnd;
        record->pp_TokenLength = 0;
        // Traced where the compiler found it.
        SetIoErr(error);
        return -1;
    }
    if (!compiler.has_wildcards())
        return 0;
    record->pp_Flags |= PatternHasWildcards;
    return 1;
}

}
