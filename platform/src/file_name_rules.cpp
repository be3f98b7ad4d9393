#include "file_name_rules.h"

#include <vector>

namespace {

// A byte that does not start valid UTF-8 stands for itself, in a range that no valid
// character uses (the low surrogates), so it never equals a real character.
constexpr char32_t kRawByteBase = 0xDC00;

// Decodes one character at text[index] and moves the index past it.
char32_t next_character(std::string_view text, size_t& index)
{
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(index);
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        ++index;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        value = lead & 0x1Fu;
        minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        value = lead & 0x0Fu;
        minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        value = lead & 0x07u;
        minimum = 0x10000;
    }
    if (length == 0 || index + length > text.size()) {
        ++index;
        return kRawByteBase + lead;
    }
    for (size_t i = 1; i < length; ++i) {
        const unsigned char trail = byte(index + i);
        if ((trail & 0xC0) != 0x80) {
            ++index;
            return kRawByteBase + lead;
        }
        value = (value << 6) | (trail & 0x3Fu);
    }
    // Over-long forms, surrogates and values past Unicode are not characters.
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        ++index;
        return kRawByteBase + lead;
    }
    index += length;
    return value;
}

// One case for every letter that has two, as Win32's file systems compare names.
char32_t fold_case(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c & ~char32_t{1};
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? c : c - 1;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
        return c - 0x20;
    if (c >= 0x430 && c <= 0x44F)
        return c - 0x20;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    return c;
}

std::vector<char32_t> folded_characters(std::string_view text)
{
    std::vector<char32_t> characters;
    characters.reserve(text.size());
    size_t index = 0;
    while (index < text.size())
        characters.push_back(fold_case(next_character(text, index)));
    return characters;
}

enum class TokenKind { Literal, Star, StarBeforePoint, QuestionMark, Point };

struct Token {
    TokenKind kind;
    char32_t character;
};

std::vector<Token> compile_pattern(std::string_view pattern)
{
    const std::vector<char32_t> characters = folded_characters(pattern);
    std::vector<Token> tokens;
    tokens.reserve(characters.size());
    for (size_t i = 0; i < characters.size(); ++i) {
        const char32_t c = characters[i];
        const char32_t next = i + 1 < characters.size() ? characters[i + 1] : 0;
        if (c == '*')
            tokens.push_back({next == '.' ? TokenKind::StarBeforePoint : TokenKind::Star, c});
        else if (c == '?')
            tokens.push_back({TokenKind::QuestionMark, c});
        else if (c == '.' && (next == '?' || next == '*' || i + 1 == characters.size()))
            tokens.push_back({TokenKind::Point, c});
        else
            tokens.push_back({TokenKind::Literal, c});
    }
    return tokens;
}

}

namespace platform {

bool names_equal_ignoring_case(std::string_view a, std::string_view b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (fold_case(next_character(a, i)) != fold_case(next_character(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

int compare_ignoring_case(std::string_view a, std::string_view b)
{
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t left = fold_case(next_character(a, i));
        const char32_t right = fold_case(next_character(b, j));
        if (left != right)
            return left < right ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return a.compare(b);
}

bool has_wildcards(std::string_view pattern)
{
    return pattern.find_first_of("*?") != std::string_view::npos;
}

bool matches_wildcard(std::string_view pattern, std::string_view name)
{
    const std::vector<Token> tokens = compile_pattern(pattern);
    const std::vector<char32_t> characters = folded_characters(name);
    const size_t length = characters.size();
    size_t last_point = length;
    for (size_t j = length; j > 0; --j) {
        if (characters[j - 1] == '.') {
            last_point = j - 1;
            break;
        }
    }

    // reached[j]: the tokens so far can match the first j characters. Each token
    // moves the set forward, so the work is tokens x characters whatever the pattern.
    std::vector<char> reached(length + 1, 0);
    std::vector<char> next(length + 1, 0);
    reached[0] = 1;
    for (const Token& token : tokens) {
        std::fill(next.begin(), next.end(), 0);
        for (size_t j = 0; j <= length; ++j) {
            const bool at_end = j == length;
            switch (token.kind) {
            case TokenKind::Literal:
                if (reached[j] && !at_end && characters[j] == token.character)
                    next[j + 1] = 1;
                break;
            case TokenKind::Star:
                if (reached[j] || (j > 0 && next[j - 1]))
                    next[j] = 1;
                break;
            case TokenKind::StarBeforePoint:
                // Runs on over any character before the name's last point.
                if (reached[j] || (j > 0 && next[j - 1] && j - 1 < last_point))
                    next[j] = 1;
                break;
            case TokenKind::QuestionMark:
                if (!reached[j])
                    break;
                if (at_end || characters[j] == '.')
                    next[j] = 1;
                else
                    next[j + 1] = 1;
                break;
            case TokenKind::Point:
                if (!reached[j])
                    break;
                if (at_end)
                    next[j] = 1;
                else if (characters[j] == '.')
                    next[j + 1] = 1;
                break;
            }
        }
        reached.swap(next);
    }
    return reached[length] != 0;
}

}
