// The scanner of the filter's expression language: the tokens of a rule text one at a
// time, on demand, with the first error and the character position where it was found.
#ifndef HALVERN_FILTER_EXPR_SCANNER_H
#define HALVERN_FILTER_EXPR_SCANNER_H

#include <cstdint>
#include <string>

#include "halvern/filter.h"

namespace halvern {

// Token types.
enum DXFExprToken : int32_t {
    DXFTokenNone = 0,    // after an error
    DXFTokenOther = 500, // one of ; , % ^ { } [ ] : . ~ ?
    DXFTokenCall = 501,  // identifier followed by "("
    DXFTokenIdentifier = 503,
    DXFTokenInteger = 504,
    DXFTokenReal = 505,
    DXFTokenString = 506,
    DXFTokenScope = 508, // identifier followed by "::"
    DXFTokenNot = 800,   // !
    DXFTokenAnd = 815,   // & or &&
    DXFTokenOr = 816,    // | or ||
    DXFTokenEqual = 820, // = or ==
    DXFTokenLess = 821,
    DXFTokenLessEqual = 822,
    DXFTokenGreater = 823,
    DXFTokenGreaterEqual = 824,
    DXFTokenNotEqual = 825,
    DXFTokenPlus = 828,
    DXFTokenMinus = 829,
    DXFTokenDivide = 830,
    DXFTokenTimes = 832,
    DXFTokenOpen = 841,
    DXFTokenClose = 842,
    DXFTokenEnd = 845
};

class DXFExprScanner {
public:
    // text may be NULL (an empty text); it must outlive the scanner.
    DXFExprScanner(const char* text, DXFDrawingRec* drawing, ItemRec* item) noexcept;

    // Reads the next token; its type.
    int32_t next();
    // Records code at the current read position unless an error is already recorded.
    void record_error(int32_t code) noexcept;
    // Records code at position unless an error is already recorded.
    void record_error_at(int32_t code, int32_t position) noexcept;
    // Moves the read position back over the current token.
    void step_back() noexcept;

    int32_t token() const noexcept { return m_token; }
    const std::string& text() const noexcept { return m_text; }
    int32_t token_length() const noexcept { return m_token_length; }
    int32_t position() const noexcept { return m_position; }
    int32_t error() const noexcept { return m_error; }
    int32_t error_position() const noexcept { return m_error_position; }
    bool failed() const noexcept { return m_error != 0; }
    // A later error replaces the recorded one (a string condition).
    void replace_error(int32_t code, int32_t position) noexcept;
    int32_t length() const noexcept { return m_length; }

    DXFDrawingRec* drawing() const noexcept { return m_drawing; }
    ItemRec* item() const noexcept { return m_item; }

private:
    int read() noexcept;
    void unread() noexcept;
    bool append(int character);
    int32_t finish(int32_t type, int32_t start) noexcept;
    int32_t operator_token(int character, int32_t start);
    int32_t number(int first, int32_t start);
    int32_t identifier(int first, int32_t start);
    int32_t string_literal(int quote, int32_t start);

    const char* m_source;
    int32_t m_length;
    int32_t m_position = 0;
    int32_t m_error = 0;
    int32_t m_error_position = -1;
    int32_t m_token = DXFTokenNone;
    std::string m_text; // grown in steps of 256 bytes
    int32_t m_token_length = 0;
    DXFDrawingRec* m_drawing;
    ItemRec* m_item;
};

}

#endif
