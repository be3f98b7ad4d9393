// Format: the framework's text formatting with its own specifier syntax.

#include "framework/sysutils.h"
#include "runtime/decimal_digits.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace fw {

namespace {

constexpr int kMaxFixedDecimals = 18;
constexpr int kDefaultFixedDecimals = 2;
constexpr int kDefaultSignificant = 15;

bool is_digit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

[[noreturn]] void format_error(const QString& format)
{
    throw EConvertError(
        QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
}

class FormatParser {
public:
    FormatParser(const QString& format, const std::vector<const TVarRec*>& arguments)
        : m_format(format), m_arguments(arguments)
    {
    }

    QString run()
    {
        QString out;
        while (m_position < m_format.size()) {
            const QChar c = m_format[m_position++];
            if (c != u'%') {
                out += c;
                continue;
            }
            if (peek() == u'%') {
                ++m_position;
                out += u'%';
                continue;
            }
            out += specifier();
        }
        return out;
    }

private:
    QChar peek() const { return m_position < m_format.size() ? m_format[m_position] : QChar(); }

    // Digits or '*' (the next argument, an integer); nothing when neither is there.
    std::optional<int64_t> number()
    {
        if (peek() == u'*') {
            ++m_position;
            const TVarRec& argument = next_argument();
            if (argument.kind() != TVarRec::Kind::Integer)
                format_error(m_format);
            return argument.integer();
        }
        if (!is_digit(peek()))
            return std::nullopt;
        int64_t value = 0;
        while (is_digit(peek())) {
            value = value * 10 + (peek().unicode() - u'0');
            if (value > 0x7FFFFFFF)
                format_error(m_format);
            ++m_position;
        }
        return value;
    }

    const TVarRec& next_argument()
    {
        if (m_next >= m_arguments.size())
            format_error(m_format);
        return *m_arguments[m_next++];
    }

    QString specifier()
    {
        // [index ":"] ["-"] [width] ["." precision] type; digits followed by ':' are
        // the index.
        qsizetype after_digits = m_position;
        while (after_digits < m_format.size() && is_digit(m_format[after_digits]))
            ++after_digits;
        if (after_digits > m_position && after_digits < m_format.size() &&
            m_format[after_digits] == u':') {
            m_next = static_cast<size_t>(*number());
            ++m_position;
        }
        const bool left = peek() == u'-';
        if (left)
            ++m_position;
        const std::optional<int64_t> width = number();
        std::optional<int64_t> precision;
        if (peek() == u'.') {
            ++m_position;
            precision = number();
            if (!precision)
                precision = 0;
        }
        if (m_position >= m_format.size())
            format_error(m_format);
        const char16_t type = m_format[m_position++].toUpper().unicode();
        QString text = convert(type, next_argument(), precision);
        const int64_t pad = width.value_or(0) - text.size();
        if (pad > 0) {
            if (left)
                text.append(QString(static_cast<qsizetype>(pad), u' '));
            else
                text.prepend(QString(static_cast<qsizetype>(pad), u' '));
        }
        return text;
    }

    QString convert(char16_t type, const TVarRec& argument, std::optional<int64_t> precision) const
    {
        switch (type) {
        case u'D':
        case u'U':
        case u'X':
            return integer_text(type, argument, precision);
        case u'F':
        case u'E':
            return real_text(type, argument, precision);
        case u'S':
            if (argument.kind() != TVarRec::Kind::String)
                format_error(m_format);
            return precision ? argument.string().left(static_cast<qsizetype>(*precision))
                             : argument.string();
        default:
            format_error(m_format);
        }
    }

    QString integer_text(char16_t type, const TVarRec& argument,
                         std::optional<int64_t> precision) const
    {
        if (argument.kind() != TVarRec::Kind::Integer)
            format_error(m_format);
        const int64_t value = argument.integer();
        // Negative numbers print as unsigned in the width of the value: 32 bits when
        // they fit there.
        const uint64_t magnitude = type == u'D' ? (value < 0 ? 0 - static_cast<uint64_t>(value)
                                                             : static_cast<uint64_t>(value))
                                   : value < 0 && value >= INT32_MIN ? static_cast<uint32_t>(value)
                                                                     : static_cast<uint64_t>(value);
        QString digits = QString::number(magnitude, type == u'X' ? 16 : 10).toUpper();
        if (precision && digits.size() < *precision)
            digits.prepend(QString(static_cast<qsizetype>(*precision - digits.size()), u'0'));
        if (type == u'D' && value < 0)
            digits.prepend(u'-');
        return digits;
    }

    QString real_text(char16_t type, const TVarRec& argument,
                      std::optional<int64_t> precision) const
    {
        if (argument.kind() != TVarRec::Kind::Float)
            format_error(m_format);
        if (type == u'F') {
            int64_t decimals = precision.value_or(kDefaultFixedDecimals);
            if (decimals > kMaxFixedDecimals)
                decimals = kMaxFixedDecimals;
            return QString::fromStdString(
                detail::fixed_text(argument.real(), static_cast<int>(decimals)));
        }
        int64_t significant = precision.value_or(kDefaultSignificant);
        if (significant > kMaxFixedDecimals)
            significant = kMaxFixedDecimals;
        return QString::fromStdString(
            detail::scientific_text(argument.real(), static_cast<int>(significant)));
    }

    const QString& m_format;
    const std::vector<const TVarRec*>& m_arguments;
    qsizetype m_position = 0;
    size_t m_next = 0;
};

}

QString Format(const QString& format, std::initializer_list<TVarRec> arguments)
{
    std::vector<const TVarRec*> list;
    list.reserve(arguments.size());
    for (const TVarRec& argument : arguments)
        list.push_back(&argument);
    return FormatParser(format, list).run();
}

}
