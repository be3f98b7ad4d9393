// The pattern matcher: a name against the token string of a ParsedPattern.
//
// Matching recurses for every group, NOT, repeat and "*" (one level each, at most
// 100). The depth of a token depends only on where it stands in the token string, so
// the outcome of matching from a token position at a name position never changes
// within one call: after a few thousand steps the matcher remembers outcomes, which
// keeps patterns such as "*a*a*a...*b" from taking exponential time. The scans of "*"
// and NOT (the rest of the pattern tried at every position of a path component,
// longest first) are remembered per position too, since the scan from one position is
// the scan from the next one plus one more try.
//
// Every read of the token string is checked against its length: a damaged string
// (one that the compiler cannot make) gives -27, never a read beyond the buffer.

#include "osmark/patterns.h"

#include "core/runtime/make_error.h"
#include "core/text/string_chars.h"
#include "osmark/errors.h"
#include "osmark/locale.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace {

constexpr int kMaxDepth = 100;
constexpr uint32_t kStepsBeforeMemo = 4096;
// Remembered outcomes beyond this many are not kept: a pathological pattern may then
// take longer, but never takes unbounded memory.
constexpr size_t kMaxRemembered = size_t{1} << 19;
constexpr size_t kMaxSetBytes = 32;

// The result of matching from a position: 1 with the name position where the match
// ended, or 0.
struct Outcome {
    int32_t result;
    size_t end;
};

// Outcomes by token position, name position and depth, in one flat open-addressing
// table: a node per entry would cost an allocation for every step remembered.
class OutcomeTable {
public:
    bool find(size_t token, size_t name, int depth, Outcome& outcome) const
    {
        if (m_slots.empty())
            return false;
        for (size_t i = slot_of(token, name, depth);; i = (i + 1) & (m_slots.size() - 1)) {
            const Slot& slot = m_slots[i];
            if (!slot.used)
                return false;
            if (slot.token == token && slot.name == name && slot.depth == depth) {
                outcome = Outcome{slot.result, slot.end};
                return true;
            }
        }
    }

    void keep(size_t token, size_t name, int depth, Outcome outcome)
    {
        if (m_count >= kMaxRemembered)
            return;
        if ((m_count + 1) * 2 > m_slots.size())
            grow();
        place(Slot{name, outcome.end, static_cast<uint32_t>(token), static_cast<int16_t>(depth),
                   static_cast<int8_t>(outcome.result), true});
        ++m_count;
    }

private:
    struct Slot {
        size_t name;
        size_t end;
        uint32_t token;
        int16_t depth;
        int8_t result;
        bool used;
    };

    size_t slot_of(size_t token, size_t name, int depth) const
    {
        // splitmix64's finaliser over the three parts.
        uint64_t h = uint64_t{name} * 0x9E3779B97F4A7C15ull ^ uint64_t{token} * 0xC2B2AE3D27D4EB4Full ^
                     static_cast<uint64_t>(depth);
        h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
        return static_cast<size_t>(h ^ (h >> 31)) & (m_slots.size() - 1);
    }

    void place(const Slot& slot)
    {
        size_t i = slot_of(slot.token, slot.name, slot.depth);
        while (m_slots[i].used)
            i = (i + 1) & (m_slots.size() - 1);
        m_slots[i] = slot;
    }

    void grow()
    {
        const std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(old.empty() ? kInitialSlots : old.size() * 2, Slot{});
        for (const Slot& slot : old) {
            if (slot.used)
                place(slot);
        }
    }

    static constexpr size_t kInitialSlots = 1024;
    std::vector<Slot> m_slots;
    size_t m_count = 0;
};

bool is_token_operand(uint8_t token)
{
    return token == PatternTokenAny || token == PatternTokenGroup || token == PatternTokenNotClass ||
           token == PatternTokenClass;
}


class Matcher {
public:
    Matcher(const uint8_t* tokens, size_t token_count, const char* name, uint32_t flags)
        : m_tokens(tokens),
          m_token_count(token_count),
          m_name(reinterpret_cast<const uint8_t*>(name)),
          m_name_length(std::strlen(name)),
          m_no_case((flags & PatternNoCase) != 0)
    {
        const char* separators = GetSystemLocale()->loc_PathSeparators;
        for (const char* s = separators; s != nullptr && *s != '\0'; ++s)
            m_is_separator[static_cast<uint8_t>(*s)] = true;
    }

    // 1, 0, or a negative error code.
    int32_t run()
    {
        size_t end = 0;
        const int32_t result = match(0, 0, 0, end);
        // A stray group or operand end at the top level ends the match early; the
        // whole name must still have been consumed.
        if (result == 1 && end != m_name_length)
            return 0;
        return result;
    }

private:
    int32_t match(size_t token, size_t name, int depth, size_t& end);
    int32_t match_here(size_t token, size_t name, int depth, size_t& end);
    int32_t scan_component(size_t rest, size_t from, int depth, size_t& end);
    int32_t scan_remembered(size_t rest, size_t from, int depth, size_t& end);
    int32_t match_group(size_t& token, size_t& name, int depth);
    int32_t match_not(size_t token, size_t name, int depth, size_t& end);
    int32_t match_repeat(size_t& token, size_t& name, int depth);
    int32_t class_member(size_t& token, size_t name);
    bool find_token(size_t from, uint8_t wanted, size_t& found) const;

    bool equal(uint8_t a, uint8_t b) const
    {
        if (a == b || (m_is_separator[a] && m_is_separator[b]))
            return true;
        return m_no_case && osmark::kFoldTable[a] == osmark::kFoldTable[b];
    }

    // Characters from name up to the next path separator or the end of the name.
    size_t component_run(size_t name) const
    {
        size_t run = 0;
        while (name + run < m_name_length && !m_is_separator[m_name[name + run]])
            ++run;
        return run;
    }

    const uint8_t* m_tokens;
    size_t m_token_count;
    const uint8_t* m_name;
    size_t m_name_length;
    bool m_no_case;
    std::array<bool, 256> m_is_separator{};
    uint32_t m_steps = 0;
    OutcomeTable m_memo;
    OutcomeTable m_scans;
};

int32_t Matcher::match(size_t token, size_t name, int depth, size_t& end)
{
    if (depth > kMaxDepth)
        return osmark::make_error(IoErrPatternNesting);
    const bool remember = m_steps >= kStepsBeforeMemo;
    if (!remember) {
        ++m_steps;
        return match_here(token, name, depth, end);
    }
    if (Outcome known{}; m_memo.find(token, name, depth, known)) {
        end = known.end;
        return known.result;
    }
    const int32_t result = match_here(token, name, depth, end);
    if (result >= 0)
        m_memo.keep(token, name, depth, Outcome{result, end});
    return result;
}

// Matches from the token position to the end token (or to the end of the group
// alternative or operand that contains it).
int32_t Matcher::match_here(size_t token, size_t name, int depth, size_t& end)
{
    for (;;) {
        if (token >= m_token_count)
            return osmark::make_error(IoErrBadPattern);
        const uint8_t t = m_tokens[token];
        switch (t) {
        case PatternTokenEnd:
            if (name != m_name_length)
                return 0;
            end = name;
            return 1;
        case PatternTokenAlternative:
        case PatternTokenGroupEnd:
        case PatternTokenNotEnd:
        case PatternTokenRepeatEnd:
            end = name;
            return 1;
        case PatternTokenAny:
            if (name >= m_name_length || m_is_separator[m_name[name]])
                return 0;
            ++name;
            ++token;
            break;
        case PatternTokenNotClass:
        case PatternTokenClass: {
            const int32_t member = class_member(token, name);
            if (member <= 0)
                return member;
            ++name;
            break;
        }
        case PatternTokenEmpty:
            ++token;
            break;
        case PatternTokenStar: {
            // A run of stars matches where one star would (the longest try that
            // succeeds is the same), but each still counts a level.
            size_t run = 1;
            while (token + run < m_token_count && m_tokens[token + run] == PatternTokenStar)
                ++run;
            if (run > static_cast<size_t>(kMaxDepth))
                return osmark::make_error(IoErrPatternNesting);
            return scan_component(token + run, name, depth + static_cast<int>(run), end);
        }
        case PatternTokenGroup: {
            const int32_t result = match_group(token, name, depth);
            if (result <= 0)
                return result;
            break;
        }
        case PatternTokenNot:
            return match_not(token, name, depth, end);
        case PatternTokenRepeat: {
            const int32_t result = match_repeat(token, name, depth);
            if (result < 0)
                return result;
            break;
        }
        default:
            if (name >= m_name_length || !equal(m_name[name], t))
                return 0;
            ++name;
            ++token;
            break;
        }
    }
}

// Matches the rest of the pattern at the end of the path component that from lies
// in, then one position lower, and so on down to from; the first success decides
// (longest first, never across a path separator).
int32_t Matcher::scan_component(size_t rest, size_t from, int depth, size_t& end)
{
    if (depth > kMaxDepth)
        return osmark::make_error(IoErrPatternNesting);
    if (m_steps >= kStepsBeforeMemo)
        return scan_remembered(rest, from, depth, end);
    for (size_t i = component_run(from) + 1; i-- > 0;) {
        const int32_t result = match(rest, from + i, depth, end);
        if (result != 0)
            return result;
    }
    return 0;
}

// The scan from a position is the scan from the next one when that succeeded, else
// the try at the position itself: walk up to the nearest position whose scan is
// known (or the end of the component), then down again, remembering each.
int32_t Matcher::scan_remembered(size_t rest, size_t from, int depth, size_t& end)
{
    if (Outcome known{}; m_scans.find(rest, from, depth, known)) {
        end = known.end;
        return known.result;
    }
    size_t top = from;
    Outcome above{0, 0};
    while (top < m_name_length && !m_is_separator[m_name[top]]) {
        if (m_scans.find(rest, top + 1, depth, above))
            break;
        ++top;
    }
    for (size_t position = top + 1; position-- > from;) {
        if (above.result == 0) {
            size_t position_end = 0;
            const int32_t result = match(rest, position, depth, position_end);
            if (result < 0)
                return result;
            if (result == 1)
                above = Outcome{1, position_end};
        }
        m_scans.keep(rest, position, depth, above);
    }
    end = above.end;
    return above.result;
}

// 1 when the next character is in (PatternTokenClass) or out of (PatternTokenNotClass)
// the set at token; token then moves past the set. 0 when not, or at the end of the
// name; -27 for a set that runs past the token string.
int32_t Matcher::class_member(size_t& token, size_t name)
{
    if (token + 1 >= m_token_count)
        return osmark::make_error(IoErrBadPattern);
    const size_t length = m_tokens[token + 1];
    const size_t set = token + 2;
    if (length > kMaxSetBytes || set + length > m_token_count)
        return osmark::make_error(IoErrBadPattern);
    if (name >= m_name_length)
        return 0;
    const auto in_set = [&](uint8_t c) {
        return c / 8u < length && ((m_tokens[set + c / 8u] >> (c % 8u)) & 1u) != 0;
    };
    // Letter case is folded for compared characters, not for a class's members:
    // "[A-C]x" does not match "bx" even when case is ignored.
    const uint8_t c = m_name[name];
    const bool member = in_set(c);
    if (member != (m_tokens[token] == PatternTokenClass))
        return 0;
    token = set + length;
    return 1;
}

// Finds the wanted token at the nesting level that starts at from, stepping over
// nested groups and class sets. Asked for an alternative, it also finds the group end
// that closes the last one. A group end at this level, an alternative (unless it is
// wanted) and the end token stop the search.
bool Matcher::find_token(size_t from, uint8_t wanted, size_t& found) const
{
    int level = 0;
    for (size_t token = from; token < m_token_count;) {
        const uint8_t t = m_tokens[token];
        const bool ends_alternative = wanted == PatternTokenAlternative && t == PatternTokenGroupEnd;
        if (level == 0 && (t == wanted || ends_alternative)) {
            found = token;
            return true;
        }
        switch (t) {
        case PatternTokenEnd:
            return false;
        case PatternTokenGroup:
            ++level;
            break;
        case PatternTokenGroupEnd:
            if (level == 0)
                return false;
            --level;
            break;
        case PatternTokenAlternative:
            if (level == 0)
                return false;
            break;
        case PatternTokenNotClass:
        case PatternTokenClass:
            if (token + 1 >= m_token_count)
                return false;
            token += 1 + m_tokens[token + 1];
            break;
        default:
            break;
        }
        ++token;
    }
    return false;
}

// Of the alternatives that match, the one that ends furthest in the name decides;
// the choice is not revisited. On 1, token and name move past the group.
int32_t Matcher::match_group(size_t& token, size_t& name, int depth)
{
    if (token + 1 >= m_token_count)
        return osmark::make_error(IoErrBadPattern);
    if (m_tokens[token + 1] == PatternTokenGroupEnd)
        return 0;
    bool matched = false;
    size_t furthest = 0;
    for (size_t alternative = token + 1;;) {
        size_t end = 0;
        const int32_t result = match(alternative, name, depth + 1, end);
        if (result < 0)
            return result;
        if (result == 1 && (!matched || end > furthest)) {
            matched = true;
            furthest = end;
        }
        size_t stop = 0;
        if (!find_token(alternative, PatternTokenAlternative, stop))
            return osmark::make_error(IoErrBadPattern);
        if (m_tokens[stop] == PatternTokenGroupEnd) {
            token = stop + 1;
            break;
        }
        alternative = stop + 1;
    }
    if (!matched)
        return 0;
    name = furthest;
    return 1;
}

int32_t Matcher::match_not(size_t token, size_t name, int depth, size_t& end)
{
    const size_t operand = token + 1;
    size_t stop = 0;
    if (!find_token(operand, PatternTokenNotEnd, stop) || stop == operand)
        return osmark::make_error(IoErrBadPattern);
    const uint8_t t = m_tokens[operand];
    if (is_token_operand(t) || t == PatternTokenRepeat || t == PatternTokenStar) {
        size_t operand_end = 0;
        const int32_t result = match(operand, name, depth + 1, operand_end);
        if (result != 0)
            return result < 0 ? result : 0;
    } else if (name < m_name_length) {
        // A character operand; at the end of the name there is nothing it could
        // equal and nothing to consume.
        if (equal(m_name[name], t))
            return 0;
        ++name;
    }
    return scan_component(stop + 1, name, depth + 1, end);
}

// Takes as much as it can and gives nothing back. On 1, token and name move past the
// repeat.
int32_t Matcher::match_repeat(size_t& token, size_t& name, int depth)
{
    const size_t operand = token + 1;
    size_t stop = 0;
    if (!find_token(operand, PatternTokenRepeatEnd, stop) || stop == operand)
        return osmark::make_error(IoErrBadPattern);
    const uint8_t t = m_tokens[operand];
    if (is_token_operand(t)) {
        while (name < m_name_length) {
            size_t end = 0;
            const int32_t result = match(operand, name, depth + 1, end);
            if (result < 0)
                return result;
            if (result == 0 || end <= name)
                break;
            name = end;
        }
    } else {
        while (name < m_name_length && equal(m_name[name], t))
            ++name;
    }
    token = stop + 1;
    return 1;
}

}

extern "C" {

OSMARK_API int32_t MatchPattern(const ParsedPattern* record, const char* name) noexcept
{
    if (record == nullptr || name == nullptr || record->pp_Tokens == nullptr)
        return 0;
    // A record whose compilation failed holds one end token and a length of 0.
    size_t token_count = record->pp_TokenLength != 0 ? record->pp_TokenLength : 1;
    if (record->pp_BufferSize != 0 && token_count > record->pp_BufferSize)
        token_count = record->pp_BufferSize;
    try {
        Matcher matcher(record->pp_Tokens, token_count, name, record->pp_Flags);
        const int32_t result = matcher.run();
        if (result >= 0)
            return result;
        SetIoErr(result);
        return -1;
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        return -1;
    }
}

}
