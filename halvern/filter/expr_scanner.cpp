// The expression scanner: numbers, identifiers, string literals and operators.

#include "filter/expr_scanner.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "filter/filter_context.h"

namespace halvern {

namespace {

bool is_digit(int c) noexcept
{
    return c >= '0' && c <= '9';
}
bool is_octal(int c) noexcept
{
    return c >= '0' && c <= '7';
}
bool is_hex(int c) noexcept
{
    return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool is_letter(int c) noexcept
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_space(int c) noexcept
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\n';
}

// Characters that end an identifier besides blanks, tabs, newlines and the end. "?",
// "~" and the double quote are not among them, nor a carriage return.
bool ends_identifier(int c) noexcept
{
    return c == 0 || c == ' ' || c == '\t' || c == '\n' ||
           std::strchr(" !;,.+-<>'{}/*%^=()[]|&:", c) != nullptr;
}

constexpr const char* kOperators = "!|&;,+-<>/*%^=(){}[]:.~?";

}

DXFExprScanner::DXFExprScanner(const char* text, DXFDrawingRec* drawing, ItemRec* item) noexcept
    : m_source(text != nullptr ? text : ""),
      m_length(static_cast<int32_t>(std::min<size_t>(std::strlen(m_source), INT32_MAX - 1))),
      m_drawing(drawing), m_item(item)
{
}

int DXFExprScanner::read() noexcept
{
    if (m_position < m_length)
        return static_cast<unsigned char>(m_source[m_position++]);
    // The end gives its NUL once; beyond it the text stays at its end.
    if (m_position == m_length)
        ++m_position;
    return 0;
}

void DXFExprScanner::unread() noexcept
{
    if (m_position > 0)
        --m_position;
}

void DXFExprScanner::record_error(int32_t code) noexcept
{
    record_error_at(code, std::min(m_position, m_length));
}

void DXFExprScanner::record_error_at(int32_t code, int32_t position) noexcept
{
    if (m_error != 0)
        return;
    m_error = code;
    m_error_position = position;
}

void DXFExprScanner::replace_error(int32_t code, int32_t position) noexcept
{
    m_error = code;
    m_error_position = position;
}

void DXFExprScanner::step_back() noexcept
{
    m_position = std::max(0, m_position - m_token_length);
}

bool DXFExprScanner::append(int character)
{
    if (m_text.size() + 1 > m_text.capacity()) {
        try {
            m_text.reserve((m_text.size() / 256 + 1) * 256);
        } catch (const std::bad_alloc&) {
            record_error(DXFExprNoMemory);
            return false;
        }
    }
    m_text.push_back(static_cast<char>(character));
    return true;
}

int32_t DXFExprScanner::finish(int32_t type, int32_t start) noexcept
{
    m_token = type;
    m_token_length = m_position - start;
    return type;
}

int32_t DXFExprScanner::next()
{
    m_token = DXFTokenNone;
    m_text.clear();
    m_token_length = 0;
    int32_t start = m_position;
    int c = read();
    while (is_space(c)) {
        start = m_position;
        c = read();
    }
    if (c == 0)
        return finish(DXFTokenEnd, start);
    if (std::strchr(kOperators, c) != nullptr)
        return operator_token(c, start);
    if (is_digit(c))
        return number(c, start);
    if (is_letter(c) || c == '_')
        return identifier(c, start);
    if (c == '"' || c == '\'')
        return string_literal(c, start);
    record_error(DXFExprBadCharacter);
    return finish(DXFTokenNone, start);
}

int32_t DXFExprScanner::operator_token(int c, int32_t start)
{
    if (!append(c))
        return finish(DXFTokenNone, start);
    // The forms whose second character may follow.
    const auto pair = [&](int second, int32_t single, int32_t twice) {
        if (read() == second) {
            append(second);
            return finish(twice, start);
        }
        unread();
        return finish(single, start);
    };
    switch (c) {
    case '!':
        return pair('=', DXFTokenNot, DXFTokenNotEqual);
    case '&':
        return pair('&', DXFTokenAnd, DXFTokenAnd);
    case '|':
        return pair('|', DXFTokenOr, DXFTokenOr);
    case '=':
        return pair('=', DXFTokenEqual, DXFTokenEqual);
    case '<':
        return pair('=', DXFTokenLess, DXFTokenLessEqual);
    case '>':
        return pair('=', DXFTokenGreater, DXFTokenGreaterEqual);
    case '+':
        return finish(DXFTokenPlus, start);
    case '-':
        return finish(DXFTokenMinus, start);
    case '/':
        return finish(DXFTokenDivide, start);
    case '*':
        return finish(DXFTokenTimes, start);
    case '(':
        return finish(DXFTokenOpen, start);
    case ')':
        return finish(DXFTokenClose, start);
    default:
        return finish(DXFTokenOther, start);
    }
}

int32_t DXFExprScanner::number(int first, int32_t start)
{
    if (!append(first))
        return finish(DXFTokenNone, start);
    int c = 0;
    // Appends characters while they pass the test; false when memory failed.
    const auto take = [&](auto test) {
        while (test(c)) {
            if (!append(c))
                return false;
            c = read();
        }
        unread();
        return true;
    };
    if (first == '0') {
        c = read();
        if (is_octal(c))
            return finish(take(is_octal) ? DXFTokenInteger : DXFTokenNone, start);
        if (c == 'b' || c == 'B' || c == 'x' || c == 'X') {
            const bool binary = c == 'b' || c == 'B';
            if (!append(c))
                return finish(DXFTokenNone, start);
            c = read();
            const bool ok =
                binary ? take([](int d) { return d == '0' || d == '1'; }) : take(is_hex);
            return finish(ok ? DXFTokenInteger : DXFTokenNone, start);
        }
        unread();
    }
    bool real = false;
    c = read();
    while (is_digit(c) || c == '.') {
        real = real || c == '.';
        if (!append(c))
            return finish(DXFTokenNone, start);
        c = read();
    }
    if (c == 'e' || c == 'E') {
        real = true;
        if (!append(c))
            return finish(DXFTokenNone, start);
        c = read();
        if (c == '+' || c == '-') {
            if (!append(c))
                return finish(DXFTokenNone, start);
            c = read();
        }
        if (!take(is_digit))
            return finish(DXFTokenNone, start);
        return finish(DXFTokenReal, start);
    }
    unread();
    return finish(real ? DXFTokenReal : DXFTokenInteger, start);
}

int32_t DXFExprScanner::identifier(int first, int32_t start)
{
    if (!append(first))
        return finish(DXFTokenNone, start);
    int c = read();
    while (!ends_identifier(c)) {
        if (!append(c))
            return finish(DXFTokenNone, start);
        c = read();
    }
    unread();
    const int32_t after = m_position;
    c = read();
    while (is_space(c))
        c = read();
    int32_t type = DXFTokenIdentifier;
    if (c == '(')
        type = DXFTokenCall;
    else if (c == ':' && read() == ':')
        type = DXFTokenScope;
    m_position = after;
    return finish(type, start);
}

int32_t DXFExprScanner::string_literal(int quote, int32_t start)
{
    for (;;) {
        int c = read();
        while (c != quote) {
            if (c == 0) {
                record_error(DXFExprUnterminated);
                return finish(DXFTokenNone, start);
            }
            if (c == '\n') {
                record_error(DXFExprNewlineInString);
                return finish(DXFTokenNone, start);
            }
            if (!append(c))
                return finish(DXFTokenNone, start);
            // An escaped character, a quote too, is kept with its backslash.
            if (c == '\\') {
                c = read();
                if (c == 0) {
                    record_error(DXFExprUnterminated);
                    return finish(DXFTokenNone, start);
                }
                if (!append(c))
                    return finish(DXFTokenNone, start);
            }
            c = read();
        }
        // Literals that follow one another, across blanks and newlines, are one.
        c = read();
        while (c == ' ' || c == '\t' || c == '\n')
            c = read();
        if (c != '"' && c != '\'') {
            unread();
            break;
        }
        quote = c;
    }
    const uint32_t length = FilterUnescape(m_text.data(), static_cast<uint32_t>(m_text.size()));
    m_text.resize(length);
    return finish(DXFTokenString, start);
}

}
