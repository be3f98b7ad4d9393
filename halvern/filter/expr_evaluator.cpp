// The parser and evaluator: values, operators, conditions and statements.

#include "filter/expr_evaluator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "halvern/tables.h"
#include "osmark/strings.h"

namespace halvern {

namespace {

constexpr double kTolerance = 1e-6;

bool is_comparison(int32_t op) noexcept
{
    return op >= DXFTokenEqual && op <= DXFTokenNotEqual;
}

// Integers wrap in 32 bits, and the one quotient that does not fit is kept wrapped too,
// so that no rule can make the processor trap.
int32_t integer_operation(int32_t a, int32_t op, int32_t b) noexcept
{
    const uint32_t ua = static_cast<uint32_t>(a);
    const uint32_t ub = static_cast<uint32_t>(b);
    switch (op) {
    case DXFTokenPlus:
        return static_cast<int32_t>(ua + ub);
    case DXFTokenMinus:
        return static_cast<int32_t>(ua - ub);
    case DXFTokenTimes:
        return static_cast<int32_t>(ua * ub);
    case DXFTokenDivide:
        if (b == 0)
            return 0;
        if (a == INT32_MIN && b == -1)
            return INT32_MIN;
        return a / b;
    case DXFTokenAnd:
        return a != 0 && b != 0 ? 1 : 0;
    case DXFTokenOr:
        return a != 0 || b != 0 ? 1 : 0;
    case DXFTokenEqual:
        return a == b ? 1 : 0;
    case DXFTokenLess:
        return a < b ? 1 : 0;
    case DXFTokenLessEqual:
        return a <= b ? 1 : 0;
    case DXFTokenGreater:
        return a > b ? 1 : 0;
    case DXFTokenGreaterEqual:
        return a >= b ? 1 : 0;
    case DXFTokenNotEqual:
        return a != b ? 1 : 0;
    default:
        return a;
    }
}

// Comparisons of reals are within 1e-6.
DXFExprValue real_operation(double a, int32_t op, double b)
{
    const double d = a - b;
    switch (op) {
    case DXFTokenPlus:
        return DXFExprValue::of_real(a + b);
    case DXFTokenMinus:
        return DXFExprValue::of_real(a - b);
    case DXFTokenTimes:
        return DXFExprValue::of_real(a * b);
    case DXFTokenDivide:
        return DXFExprValue::of_real(b == 0.0 ? 0.0 : a / b);
    case DXFTokenAnd:
        return DXFExprValue::of_integer(a == 0.0 || b == 0.0 ? 0 : 1);
    case DXFTokenOr:
        return DXFExprValue::of_integer(a != 0.0 || b != 0.0 ? 1 : 0);
    case DXFTokenEqual:
        return DXFExprValue::of_integer(std::fabs(d) < kTolerance ? 1 : 0);
    case DXFTokenNotEqual:
        return DXFExprValue::of_integer(std::fabs(d) < kTolerance ? 0 : 1);
    case DXFTokenLess:
        return DXFExprValue::of_integer(d <= -kTolerance ? 1 : 0);
    case DXFTokenLessEqual:
        return DXFExprValue::of_integer(d < kTolerance ? 1 : 0);
    case DXFTokenGreater:
        return DXFExprValue::of_integer(d >= kTolerance ? 1 : 0);
    case DXFTokenGreaterEqual:
        return DXFExprValue::of_integer(d > -kTolerance ? 1 : 0);
    default:
        return DXFExprValue::of_real(a);
    }
}

DXFExprValue string_operation(std::string a, int32_t op, const std::string& b)
{
    if (op == DXFTokenPlus)
        return DXFExprValue::of_string(a + b);
    if (op == DXFTokenMinus) {
        if (!b.empty() && b.size() <= a.size()) {
            const size_t found = a.find(b);
            if (found != std::string::npos)
                a.erase(found, b.size());
        }
        return DXFExprValue::of_string(std::move(a));
    }
    if (!is_comparison(op))
        return DXFExprValue::of_string(std::move(a));
    const int32_t order = StrCmp(a.c_str(), b.c_str());
    bool result = false;
    switch (op) {
    case DXFTokenEqual:
        result = order == 0;
        break;
    case DXFTokenLess:
        result = order < 0;
        break;
    case DXFTokenLessEqual:
        result = order <= 0;
        break;
    case DXFTokenGreater:
        result = order > 0;
        break;
    case DXFTokenGreaterEqual:
        result = order >= 0;
        break;
    default:
        result = order != 0;
        break;
    }
    return DXFExprValue::of_integer(result ? 1 : 0);
}

bool has_known_type(const DXFExprValue& value) noexcept
{
    return value.type == DXFExprValue::Integer || value.type == DXFExprValue::Real ||
           value.type == DXFExprValue::String;
}

class Parser {
public:
    explicit Parser(DXFExprScanner& scanner) : m_scanner(scanner) {}

    DXFExprValue expression()
    {
        DXFExprValue value = and_term();
        while (!m_scanner.failed() && m_scanner.token() == DXFTokenOr) {
            m_scanner.next();
            const DXFExprValue right = and_term();
            value = ExprApply(m_scanner, std::move(value), DXFTokenOr, right);
        }
        return value;
    }

private:
    DXFExprValue and_term()
    {
        DXFExprValue value = comparison();
        while (!m_scanner.failed() && m_scanner.token() == DXFTokenAnd) {
            m_scanner.next();
            const DXFExprValue right = comparison();
            value = ExprApply(m_scanner, std::move(value), DXFTokenAnd, right);
        }
        return value;
    }

    DXFExprValue comparison()
    {
        DXFExprValue value = sum();
        while (!m_scanner.failed() && is_comparison(m_scanner.token())) {
            const int32_t op = m_scanner.token();
            m_scanner.next();
            const DXFExprValue right = sum();
            value = ExprApply(m_scanner, std::move(value), op, right);
        }
        return value;
    }

    DXFExprValue sum()
    {
        DXFExprValue value = product();
        while (!m_scanner.failed() &&
               (m_scanner.token() == DXFTokenPlus || m_scanner.token() == DXFTokenMinus)) {
            const int32_t op = m_scanner.token();
            m_scanner.next();
            const DXFExprValue right = product();
            value = ExprApply(m_scanner, std::move(value), op, right);
        }
        return value;
    }

    DXFExprValue product()
    {
        DXFExprValue value = unary();
        while (!m_scanner.failed() &&
               (m_scanner.token() == DXFTokenDivide || m_scanner.token() == DXFTokenTimes)) {
            const int32_t op = m_scanner.token();
            m_scanner.next();
            const DXFExprValue right = unary();
            value = ExprApply(m_scanner, std::move(value), op, right);
        }
        return value;
    }

    DXFExprValue unary()
    {
        const int32_t op = m_scanner.token();
        if (op != DXFTokenNot && op != DXFTokenPlus && op != DXFTokenMinus)
            return primary();
        m_scanner.next();
        DXFExprValue value = primary();
        if (m_scanner.failed())
            return value;
        return apply_unary(op, std::move(value));
    }

    DXFExprValue apply_unary(int32_t op, DXFExprValue value)
    {
        switch (value.type) {
        case DXFExprValue::Integer:
            if (op == DXFTokenNot)
                value.integer = value.integer == 0 ? 1 : 0;
            else if (op == DXFTokenMinus)
                value.integer = static_cast<int32_t>(0u - static_cast<uint32_t>(value.integer));
            return value;
        case DXFExprValue::Real:
            if (op == DXFTokenNot)
                value.real = value.real == 0.0 ? 1.0 : 0.0;
            else if (op == DXFTokenMinus)
                value.real = -value.real;
            return value;
        case DXFExprValue::String:
            if (op == DXFTokenNot)
                std::reverse(value.string.begin(), value.string.end());
            else if (op == DXFTokenPlus)
                StrUpper(value.string.data());
            else
                StrLower(value.string.data());
            return value;
        default:
            m_scanner.record_error(DXFExprNoType);
            return value;
        }
    }

    DXFExprValue primary()
    {
        DXFExprValue value;
        switch (m_scanner.token()) {
        case DXFTokenOpen:
            m_scanner.next();
            value = expression();
            if (m_scanner.failed())
                return value;
            if (m_scanner.token() != DXFTokenClose)
                m_scanner.record_error(DXFExprMissingParen);
            else
                m_scanner.next();
            return value;
        case DXFTokenIdentifier:
            value = ExprProperty(m_scanner, m_scanner.text());
            break;
        case DXFTokenInteger:
            value = DXFExprValue::of_integer(StrToLong(m_scanner.text().c_str(), nullptr, 0));
            break;
        case DXFTokenReal:
            value = DXFExprValue::of_real(StrToDouble(m_scanner.text().c_str(), nullptr));
            break;
        case DXFTokenString:
            value = DXFExprValue::of_string(m_scanner.text());
            break;
        case DXFTokenClose:
            // An empty primary, the integer 0; the ")" is left for the caller.
            return value;
        default:
            m_scanner.record_error(DXFExprSyntax);
            return value;
        }
        if (!m_scanner.failed())
            m_scanner.next();
        return value;
    }

    DXFExprScanner& m_scanner;
};

// After an expression: anything but the end is left over.
void check_leftover(DXFExprScanner& scanner)
{
    if (scanner.failed() || scanner.token() == DXFTokenEnd)
        return;
    scanner.step_back();
    scanner.record_error(DXFExprSyntax);
}

void report(const DXFExprScanner& scanner, int32_t* error, int32_t* position) noexcept
{
    if (error != nullptr)
        *error = scanner.error();
    if (position != nullptr)
        *position = scanner.error() != 0 ? scanner.error_position() : -1;
}

void report(int32_t code, int32_t at, int32_t* error, int32_t* position) noexcept
{
    if (error != nullptr)
        *error = code;
    if (position != nullptr)
        *position = at;
}

bool is_true(const DXFExprValue& value) noexcept
{
    if (value.type == DXFExprValue::Integer)
        return value.integer != 0;
    return std::fabs(value.real) >= kTolerance;
}

// The text a "layer" assignment names: "%ld" for an integer, "%lf" for a real.
std::string layer_text(const DXFExprValue& value)
{
    char buffer[512];
    switch (value.type) {
    case DXFExprValue::Integer:
        std::snprintf(buffer, sizeof buffer, "%ld", static_cast<long>(value.integer));
        break;
    case DXFExprValue::Real:
        std::snprintf(buffer, sizeof buffer, "%lf", value.real);
        break;
    default:
        return value.string.c_str();
    }
    return buffer;
}

void assign(DXFExprScanner& scanner, const std::string& name, const DXFExprValue& value)
{
    if (name == "layer") {
        const std::string text = layer_text(value);
        if (text.empty()) {
            scanner.record_error(DXFExprBadProperty);
            return;
        }
        scanner.item()->it_Header.ih_Layer =
            GetLayer(&scanner.drawing()->dxf_LayerTable, text.c_str());
        return;
    }
    if (!ExprSetProperty(scanner, name, value))
        scanner.record_error(DXFExprSyntax);
}

}

std::string ExprValueText(const DXFExprValue& value)
{
    char buffer[512];
    switch (value.type) {
    case DXFExprValue::Integer:
        std::snprintf(buffer, sizeof buffer, "%ld", static_cast<long>(value.integer));
        break;
    case DXFExprValue::Real:
        std::snprintf(buffer, sizeof buffer, "%10.10lf", value.real);
        break;
    default:
        return value.string;
    }
    return buffer;
}

DXFExprValue ExprApply(DXFExprScanner& scanner, DXFExprValue a, int32_t op, const DXFExprValue& b)
{
    if (!has_known_type(a) || !has_known_type(b)) {
        scanner.record_error(DXFExprNoType);
        return a;
    }
    if (a.type == DXFExprValue::String || b.type == DXFExprValue::String) {
        std::string left = a.type == DXFExprValue::String ? std::move(a.string) : ExprValueText(a);
        return string_operation(std::move(left), op,
                                b.type == DXFExprValue::String ? b.string : ExprValueText(b));
    }
    if (a.type == DXFExprValue::Integer && b.type == DXFExprValue::Integer)
        return DXFExprValue::of_integer(integer_operation(a.integer, op, b.integer));
    const double left = a.type == DXFExprValue::Real ? a.real : a.integer;
    const double right = b.type == DXFExprValue::Real ? b.real : b.integer;
    return real_operation(left, op, right);
}

int32_t ExprEvaluateCondition(DXFDrawingRec* drawing, ItemRec* item, const char* text,
                              int32_t* error, int32_t* position) noexcept
{
    if (drawing == nullptr || item == nullptr) {
        report(DXFExprNoItem, 0, error, position);
        return 0;
    }
    report(0, -1, error, position);
    if (text == nullptr || text[0] == '\0')
        return 0;
    DXFExprScanner scanner(text, drawing, item);
    try {
        DXFExprValue value;
        if (scanner.next() != DXFTokenEnd && !scanner.failed())
            value = Parser(scanner).expression();
        check_leftover(scanner);
        if (value.type == DXFExprValue::String)
            scanner.replace_error(DXFExprBadProperty, 0);
        report(scanner, error, position);
        return scanner.failed() ? 0 : (is_true(value) ? 1 : 0);
    } catch (...) {
        report(DXFExprNoMemory, scanner.position(), error, position);
        return 0;
    }
}

void ExprRunStatement(DXFDrawingRec* drawing, ItemRec* item, const char* text, int32_t* error,
                      int32_t* position) noexcept
{
    if (drawing == nullptr || item == nullptr) {
        report(DXFExprNoItem, 0, error, position);
        return;
    }
    report(0, -1, error, position);
    if (text == nullptr || text[0] == '\0')
        return;
    DXFExprScanner scanner(text, drawing, item);
    try {
        scanner.next();
        const std::string name = scanner.text();
        if (!scanner.failed() && scanner.next() != DXFTokenEqual)
            scanner.record_error(DXFExprSyntax);
        DXFExprValue value;
        if (!scanner.failed() && scanner.next() != DXFTokenEnd && !scanner.failed())
            value = Parser(scanner).expression();
        check_leftover(scanner);
        if (!scanner.failed())
            assign(scanner, name, value);
        report(scanner, error, position);
    } catch (...) {
        report(DXFExprNoMemory, scanner.position(), error, position);
    }
}

}
