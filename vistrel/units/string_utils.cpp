#include "units/string_utils.h"

#include "framework/classes.h"
#include "framework/sysutils.h"

#include "platform/kernel.h"

#include <cmath>

namespace vistrel {

namespace {

constexpr qsizetype kMaxFractionDigits = 8;
constexpr qsizetype kMaxWordLength = 4096;

// The fixed text of x with `decimals` places, as the framework formats "%.*f".
QString fixed_text(int decimals, double x)
{
    return fw::Format(QStringLiteral("%.*f"), {decimals < 0 ? 0 : decimals, x});
}

QString without_leading_blanks(const QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && text[first] == u' ')
        ++first;
    return text.mid(first);
}

}

double StrToFloatTolerant(const QString& text)
{
    QString s = TrimBlanks(text);
    if (s.isEmpty())
        return 0;
    const qsizetype comma = s.indexOf(u',');
    if (comma >= 0)
        s[comma] = u'.';
    bool negative = false;
    if (s.front() == u'-' || s.front() == u'+') {
        negative = s.front() == u'-';
        s.remove(0, 1);
        if (s.isEmpty())
            return 0;
    }
    const qsizetype point = s.indexOf(u'.');
    const QString whole = point < 0 ? s : s.left(point);
    const QString fraction = point < 0 ? QString() : s.mid(point + 1, kMaxFractionDigits);

    double value = 0;
    if (!whole.isEmpty() && !fw::TryStrToFloat(whole, value))
        return 0;
    int32_t digits = 0;
    if (!fraction.isEmpty() && !fw::TryStrToInt(fraction, digits))
        return 0;
    if (digits > 0)
        value += digits / std::pow(10.0, static_cast<double>(fraction.size()));
    return negative ? -value : value;
}

double RoundToDecimals(int decimals, double x)
{
    if (x == 0)
        return 0;
    const double factor = decimals > 0 ? std::pow(10.0, decimals) : 1.0;
    const double result = std::floor(x * factor + 0.5) / factor;
    return std::isfinite(result) ? result : 0;
}

void FormatFixed(bool force_dot, int decimals, bool two_decimals, QString& text, double x)
{
    const int places = two_decimals ? 2 : decimals;
    if (places > 0)
        x = RoundToDecimals(places, x);
    text = fixed_text(places, x);
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0)
        text[comma] = u'.';
    if ((two_decimals || force_dot) && !text.contains(u'.'))
        text += u'.';
    const qsizetype point = text.indexOf(u'.');
    if (point >= 0) {
        while (text.size() - point - 1 < places)
            text += u'0';
    }
}

void FormatTrimmed(bool keep_zero, int decimals, QString& text, double x)
{
    FormatFixed(keep_zero, decimals, false, text, x);
    if (!text.contains(u'.'))
        return;
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.')) {
        if (keep_zero)
            text += u'0';
        else
            text.chop(1);
    }
}

QString TrimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}

QString DottedExt(const QString& extension)
{
    return extension.contains(u'.') ? extension : u'.' + extension;
}

void SplitFileExt(QString& name, QString& extension)
{
    extension.clear();
    if (!name.contains(u'.'))
        return;
    qsizetype stop = name.size() - 1;
    QString scanned;
    while (stop > 0 && name[stop] != u'.') {
        if (name[stop] == u'/' || name[stop] == u'\\')
            return;
        scanned.prepend(name[stop]);
        --stop;
    }
    extension = scanned;
    name = name.left(stop);
}

bool SameFileExt(const QString& file_name, const QString& extension)
{
    const QString wanted = extension.isEmpty() ? extension : DottedExt(extension);
    return fw::AnsiUpperCase(fw::ExtractFileExt(file_name)) == fw::AnsiUpperCase(wanted);
}

void GetKeyValue(const fw::TStrings* lines, const QString& key, int start, QString& value)
{
    value.clear();
    const QString upper_key = fw::AnsiUpperCase(key);
    if (upper_key.isEmpty() || lines == nullptr)
        return;
    for (int i = start < 0 ? 0 : start; i < lines->Count(); ++i) {
        const QString line = lines->Strings(i);
        if (!TrimBlanks(fw::AnsiUpperCase(line)).startsWith(upper_key))
            continue;
        // Upper-casing keeps the length, so the key's length ends the key here too.
        value = TrimBlanks(without_leading_blanks(line).mid(upper_key.size()));
        return;
    }
}

int GetKeyInt(const fw::TStrings* lines, const QString& key, int start)
{
    QString value;
    GetKeyValue(lines, key, start, value);
    return fw::StrToIntDef(value, 0);
}

double GetKeyFloat(const fw::TStrings* lines, const QString& key, int start)
{
    QString value;
    GetKeyValue(lines, key, start, value);
    return StrToFloatTolerant(value);
}

int FindLineStartingWith(int start, const fw::TStrings* lines, const QString& text)
{
    if (text.isEmpty() || lines == nullptr)
        return -1;
    for (int i = start < 0 ? 0 : start; i < lines->Count(); ++i) {
        if (lines->Strings(i).startsWith(text))
            return i;
    }
    return -1;
}

const char16_t* NextCommandLineWord(const char16_t* position, QString& word)
{
    const char16_t* p = position;
    for (;;) {
        while (*p >= 1 && *p <= 32)
            ++p;
        if (p[0] != u'"' || p[1] != u'"')
            break;
        p += 2;
    }
    word.clear();
    auto keep = [&word](char16_t c) {
        if (word.size() < kMaxWordLength)
            word += QChar(c);
    };
    while (*p > 32) {
        if (*p != u'"') {
            keep(*p++);
            continue;
        }
        ++p;
        while (*p != 0 && *p != u'"')
            keep(*p++);
        if (*p == u'"')
            ++p;
    }
    return p;
}

void GetCommandLineParamOf(const QString& command_line, int index, QString& param)
{
    if (!command_line.startsWith(u'"'))
        return;
    QString line = command_line;
    const qsizetype close = line.indexOf(u'"', 1);
    if (close > 0 && close + 1 < line.size() && line[close + 1] != u' ')
        line.insert(close + 1, u' ');
    const char16_t* p = reinterpret_cast<const char16_t*>(line.utf16());
    QString word;
    for (int i = 0; i <= index; ++i) {
        if (*p == 0) {
            param.clear();
            return;
        }
        p = NextCommandLineWord(p, word);
    }
    param = word;
}

void GetCommandLineParam(int index, QString& param)
{
    GetCommandLineParamOf(QString::fromUtf16(GetCommandLineW()), index, param);
}

}
