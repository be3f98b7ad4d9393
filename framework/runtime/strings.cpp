// Comparison, case and trimming of strings.

#include "framework/sysutils.h"

namespace fw {

namespace {

// The code point at index (a surrogate pair as one), advancing index past it. An
// unpaired surrogate stands for itself.
char32_t next_code_point(const QString& text, qsizetype& index)
{
    const char16_t unit = text[index].unicode();
    ++index;
    if (QChar::isHighSurrogate(unit) && index < text.size() && text[index].isLowSurrogate())
        return QChar::surrogateToUcs4(unit, text[index++].unicode());
    return unit;
}

char32_t fold(char32_t code_point)
{
    if (code_point < 0x80)
        return code_point >= 'A' && code_point <= 'Z' ? code_point + ('a' - 'A') : code_point;
    return QChar::toCaseFolded(code_point);
}

// Maps each code point by itself, keeping one whose mapping would take another number
// of UTF-16 units, so the length never changes.
template <typename Map>
QString map_code_points(const QString& text, Map map)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype index = 0; index < text.size();) {
        const char32_t code_point = next_code_point(text, index);
        char32_t mapped = map(code_point);
        if (QChar::requiresSurrogates(mapped) != QChar::requiresSurrogates(code_point))
            mapped = code_point;
        if (QChar::requiresSurrogates(mapped)) {
            out += QChar(QChar::highSurrogate(mapped));
            out += QChar(QChar::lowSurrogate(mapped));
        } else {
            out += QChar(static_cast<char16_t>(mapped));
        }
    }
    return out;
}

bool is_trimmed(QChar c)
{
    return c.unicode() <= u' ';
}

}

int CompareText(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = fold(next_code_point(a, i));
        const char32_t y = fold(next_code_point(b, j));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

bool SameText(const QString& a, const QString& b)
{
    return CompareText(a, b) == 0;
}

int CompareStr(const QString& a, const QString& b)
{
    const int result = QString::compare(a, b, Qt::CaseSensitive);
    return result < 0 ? -1 : result > 0 ? 1 : 0;
}

QString AnsiUpperCase(const QString& text)
{
    return map_code_points(text, [](char32_t c) { return QChar::toUpper(c); });
}

QString AnsiLowerCase(const QString& text)
{
    return map_code_points(text, [](char32_t c) { return QChar::toLower(c); });
}

QString UpperCase(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c >= u'a' && c <= u'z')
            c = QChar(static_cast<char16_t>(c.unicode() - (u'a' - u'A')));
    }
    return out;
}

QString LowerCase(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(static_cast<char16_t>(c.unicode() + (u'a' - u'A')));
    }
    return out;
}

QString Trim(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && is_trimmed(text[first]))
        ++first;
    while (last > first && is_trimmed(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

QString TrimLeft(const QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && is_trimmed(text[first]))
        ++first;
    return text.mid(first);
}

QString TrimRight(const QString& text)
{
    qsizetype last = text.size();
    while (last > 0 && is_trimmed(text[last - 1]))
        --last;
    return text.left(last);
}

}
