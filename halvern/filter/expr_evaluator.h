// The parser and evaluator of the filter's expression language, evaluated directly on
// one drawing item: conditions give true or false, statements assign one property.
//
// Grammar, loosest binding first; every binary level is left-associative:
//   expression := and-term { "|" and-term }        ("|" or "||")
//   and-term   := comparison { "&" comparison }    ("&" or "&&")
//   comparison := sum { ("=" | "<" | "<=" | ">" | ">=" | "!=") sum }
//   sum        := product { ("+" | "-") product }
//   product    := unary { ("/" | "*") unary }
//   unary      := [ "!" | "+" | "-" ] primary
//   primary    := "(" expression ")" | identifier | integer | real | string
// A ")" where a primary should stand is an empty primary, the integer 0, and is left
// for the caller. Identifiers are properties of the item (expr_properties.cpp).
//
// Errors are recorded, never raised: the first one is kept with its position and
// parsing consumes no token after it. Evaluations share nothing: each has its own
// scanner and buffers.
#ifndef HALVERN_FILTER_EXPR_EVALUATOR_H
#define HALVERN_FILTER_EXPR_EVALUATOR_H

#include <cstdint>
#include <string>

#include "filter/expr_scanner.h"
#include "halvern/drawing.h"
#include "halvern/items.h"

namespace halvern {

// A value: a 32-bit integer, a double or an owned string. Empty is the integer 0.
struct DXFExprValue {
    enum Type : int32_t {
        Integer = 0,
        Real = 1,
        String = 2
    };
    int32_t type = Integer;
    int32_t integer = 0;
    double real = 0.0;
    std::string string;

    static DXFExprValue of_integer(int32_t value)
    {
        DXFExprValue result;
        result.integer = value;
        return result;
    }
    static DXFExprValue of_real(double value)
    {
        DXFExprValue result;
        result.type = Real;
        result.real = value;
        return result;
    }
    static DXFExprValue of_string(std::string value)
    {
        DXFExprValue result;
        result.type = String;
        result.string = std::move(value);
        return result;
    }
};

// a operator b (operator: a token type of expr_scanner.h); integers wrap in 32 bits.
// 1001 for a value of no known type.
DXFExprValue ExprApply(DXFExprScanner& scanner, DXFExprValue a, int32_t op, const DXFExprValue& b);
// The text form of a value for string operations: "%ld" for an integer, "%10.10lf"
// for a real.
std::string ExprValueText(const DXFExprValue& value);

// 1 true, 0 false. *error is 0 and *position -1 when all went well, else the first
// error and its character position (then the answer is 0). error and position may be
// NULL.
int32_t ExprEvaluateCondition(DXFDrawingRec* drawing, ItemRec* item, const char* text,
                              int32_t* error, int32_t* position) noexcept;
// Runs one assignment on the item; error and position as for conditions.
void ExprRunStatement(DXFDrawingRec* drawing, ItemRec* item, const char* text, int32_t* error,
                      int32_t* position) noexcept;

// ---- Item properties (expr_properties.cpp) ----------------------------------------

// The named property of the scanner's item; records 1002 for a name the item lacks.
DXFExprValue ExprProperty(DXFExprScanner& scanner, const std::string& name);
// Assigns the property; false when it is refused (a read-only property, or one that
// recorded 1002 for a wrong name or value type).
bool ExprSetProperty(DXFExprScanner& scanner, const std::string& name, const DXFExprValue& value);

}

#endif
