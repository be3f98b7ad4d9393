// Formatting date stamps by picture strings.
//
// The picture language is the one the locale's own date and time formats are written
// in, so a picture can name a locale format (c, ddddd, dddddd, t, tt) and have it
// expanded in place. Expansion goes one level deep: a locale format that names another
// gives nothing for it, which also keeps a format from expanding itself forever.

#include "osmark/dates.h"

#include "core/runtime/make_error.h"
#include "core/text/string_chars.h"
#include "osmark/errors.h"
#include "osmark/format.h"
#include "osmark/locale.h"
#include "platform/locale_info.h"

#include <cstring>
#include <iterator>

namespace {

constexpr WORD kNoon = 12;
constexpr int kLocaleFormatDepth = 1;
constexpr int kEraTextSize = 256;
constexpr uint32_t kChinese = 4;
constexpr uint32_t kChineseTraditional = 1;
constexpr uint32_t kJapanese = 0x11;

// The caller's buffer: text that does not fit is cut, and everything after it dropped.
class Output {
public:
    Output(char* buffer, int32_t size) : m_buffer(buffer), m_capacity(static_cast<size_t>(size) - 1) {}

    void append(const char* text, size_t length)
    {
        if (m_stopped)
            return;
        const size_t room = m_capacity - m_length;
        if (length > room) {
            length = room;
            m_stopped = true;
        }
        std::memcpy(m_buffer + m_length, text, length);
        m_length += length;
    }
    void append(const char* text)
    {
        if (text != nullptr)
            append(text, std::strlen(text));
    }
    void append_char(char c) { append(&c, 1); }
    // A two-byte character goes in whole or not at all.
    void append_pair(const char* text)
    {
        if (!m_stopped && m_capacity - m_length < 2)
            m_stopped = true;
        append(text, 2);
    }
    int32_t finish()
    {
        m_buffer[m_length] = '\0';
        return static_cast<int32_t>(m_length);
    }

private:
    char* m_buffer;
    size_t m_capacity;
    size_t m_length = 0;
    bool m_stopped = false;
};

bool starts_with_folded(const char* text, const char* lower_case)
{
    for (; *lower_case != '\0'; ++text, ++lower_case) {
        if (osmark::fold(*text) != static_cast<uint8_t>(*lower_case))
            return false;
    }
    return true;
}

// Length of the day-period marker that begins at text, or 0.
size_t marker_length(const char* text)
{
    if (starts_with_folded(text, "am/pm"))
        return 5;
    if (starts_with_folded(text, "ampm"))
        return 4;
    if (starts_with_folded(text, "a/p"))
        return 3;
    return 0;
}

bool is_two_byte(const char* p)
{
    return osmark::has_lead_bytes() && osmark::character_length(p) == 2;
}

// True when a day-period marker follows outside quotes: the hours before it then
// count on a 12-hour clock.
bool marker_follows(const char* rest)
{
    bool quoted = false;
    for (const char* p = rest; *p != '\0';) {
        if (is_two_byte(p)) {
            p += 2;
            continue;
        }
        if (*p == '\'' || *p == '"')
            quoted = !quoted;
        else if (!quoted && marker_length(p) != 0)
            return true;
        ++p;
    }
    return false;
}

class PictureEngine {
public:
    PictureEngine(const SYSTEMTIME& time, Output& out)
        : m_time(time), m_out(out), m_locale(*GetSystemLocale())
    {
    }

    void run(const char* picture, int depth);

private:
    void number(uint32_t value, int32_t digits);
    void name(char* const* names, int32_t count, int32_t index);
    void locale_format(const char* format, int depth);
    void hour(int32_t digits, bool twelve_hour);
    size_t letter_a(const char* p, size_t run, bool& twelve_hour);
    void era_name(size_t run);
    void era_year(size_t run);
    bool era_text(const char* picture, char (&text)[kEraTextSize]);

    const SYSTEMTIME& m_time;
    Output& m_out;
    const Locale& m_locale;
};

void PictureEngine::number(uint32_t value, int32_t digits)
{
    char text[16];
    SnPrintf(text, static_cast<int32_t>(sizeof text), "%.*d", digits, value);
    m_out.append(text);
}

void PictureEngine::name(char* const* names, int32_t count, int32_t index)
{
    if (index >= 0 && index < count)
        m_out.append(names[index]);
}

void PictureEngine::locale_format(const char* format, int depth)
{
    if (depth < kLocaleFormatDepth && format != nullptr)
        run(format, depth + 1);
}

void PictureEngine::hour(int32_t digits, bool twelve_hour)
{
    uint32_t value = m_time.wHour;
    if (twelve_hour && value == 0)
        value = 12;
    else if (twelve_hour && value > kNoon && value < 24)
        value -= 12;
    number(value, digits);
}

// The letter a: a day-period marker, a day name, or the letter itself. Returns the
// characters used.
size_t PictureEngine::letter_a(const char* p, size_t run, bool& twelve_hour)
{
    const bool before_noon = m_time.wHour < kNoon;
    const size_t marker = marker_length(p);
    if (marker != 0) {
        twelve_hour = true;
        if (marker == 4)
            m_out.append(before_noon ? m_locale.loc_AMString : m_locale.loc_PMString);
        else if (marker == 5)
            m_out.append(before_noon ? p : p + 3, 2);
        else
            m_out.append(before_noon ? p : p + 2, 1);
        return marker;
    }
    if (run >= 4) {
        name(m_locale.loc_LongDayNames, LocaleDayCount, m_time.wDayOfWeek - 1);
        return run;
    }
    if (run == 3) {
        name(m_locale.loc_ShortDayNames, LocaleDayCount, m_time.wDayOfWeek - 1);
        return run;
    }
    m_out.append(p, 1);
    return 1;
}

bool PictureEngine::era_text(const char* picture, char (&text)[kEraTextSize])
{
    return GetDateFormatA(GetThreadLocale(), DATE_USE_ALT_CALENDAR, &m_time, picture, text, kEraTextSize) > 0;
}

void PictureEngine::era_name(size_t run)
{
    char text[kEraTextSize];
    if (!era_text("gg", text))
        return;
    if (run == 1) {
        // Short forms of the era name: the last two characters of a four-character
        // Chinese name, the first character of a Japanese one.
        const char* characters[5] = {};
        size_t count = 0;
        for (const char* p = text; *p != '\0' && count < 5; p += is_two_byte(p) ? 2 : 1)
            characters[count++] = p;
        if (m_locale.loc_PrimaryLanguageID == kChinese && m_locale.loc_SubLanguageID == kChineseTraditional &&
            count == 4) {
            m_out.append(characters[2]);
            return;
        }
        if (m_locale.loc_PrimaryLanguageID == kJapanese) {
            if (count != 0)
                m_out.append(text, is_two_byte(text) ? 2 : 1);
            return;
        }
    }
    m_out.append(text);
}

void PictureEngine::era_year(size_t run)
{
    char text[kEraTextSize];
    if (!era_text(run <= 2 ? "yy" : "yyyy", text))
        return;
    m_out.append(run == 1 && text[0] == '0' ? text + 1 : text);
}

void PictureEngine::run(const char* picture, int depth)
{
    bool twelve_hour = false;
    uint8_t last_letter = ' ';
    const char* p = picture;
    while (*p != '\0') {
        if (is_two_byte(p)) {
            m_out.append_pair(p);
            p += 2;
            continue;
        }
        const char c = *p;
        if (c == '\'' || c == '"') {
            const char* end = std::strchr(p + 1, c);
            const size_t length = end != nullptr ? static_cast<size_t>(end - (p + 1)) : std::strlen(p + 1);
            m_out.append(p + 1, length);
            p += 1 + length + (end != nullptr ? 1 : 0);
            continue;
        }
        if (c == '/' || c == ':') {
            const char separator = c == '/' ? m_locale.loc_DateSeparator : m_locale.loc_TimeSeparator;
            if (separator != '\0')
                m_out.append_char(separator);
            ++p;
            continue;
        }
        const uint8_t letter = osmark::fold(c);
        if (letter < 'a' || letter > 'z') {
            m_out.append_char(c);
            ++p;
            continue;
        }
        size_t run = 1;
        while (p[run] == c)
            ++run;
        const int32_t short_digits = run >= 2 ? 2 : 1;
        switch (letter) {
        case 'y':
            if (run <= 2)
                number(m_time.wYear % 100u, 2);
            else
                number(m_time.wYear, 4);
            break;
        case 'm':
            if (last_letter == 'h') {
                number(m_time.wMinute, short_digits);
                break;
            }
            if (run <= 2)
                number(m_time.wMonth, static_cast<int32_t>(run));
            else
                name(run == 3 ? m_locale.loc_ShortMonthNames : m_locale.loc_LongMonthNames, LocaleMonthCount,
                     m_time.wMonth - 1);
            break;
        case 'd':
            if (run <= 2)
                number(m_time.wDay, static_cast<int32_t>(run));
            else if (run <= 4)
                name(run == 3 ? m_locale.loc_ShortDayNames : m_locale.loc_LongDayNames, LocaleDayCount,
                     m_time.wDayOfWeek - 1);
            else
                locale_format(run == 5 ? m_locale.loc_ShortDateFormat : m_locale.loc_LongDateFormat, depth);
            break;
        case 'h':
            if (!twelve_hour && marker_follows(p + run))
                twelve_hour = true;
            hour(short_digits, twelve_hour);
            break;
        case 'n':
            number(m_time.wMinute, short_digits);
            break;
        case 's':
            number(m_time.wSecond, short_digits);
            break;
        case 't':
            locale_format(run == 1 ? m_locale.loc_ShortTimeFormat : m_locale.loc_LongTimeFormat, depth);
            break;
        case 'c':
            if (depth >= kLocaleFormatDepth)
                break;
            locale_format(m_locale.loc_ShortDateFormat, depth);
            if (m_time.wHour != 0 || m_time.wMinute != 0 || m_time.wSecond != 0) {
                m_out.append_char(' ');
                locale_format(m_locale.loc_LongTimeFormat, depth);
            }
            break;
        case 'a':
            run = letter_a(p, run, twelve_hour);
            break;
        case 'g':
            era_name(run);
            break;
        case 'e':
            era_year(run);
            break;
        default:
            m_out.append(p, run);
            break;
        }
        last_letter = letter;
        p += run;
    }
}

// Runs the engine over the picture at the outer level into the buffer.
int32_t format_stamp(const char* picture, const DateStampRec* stamp, char* buffer, int32_t size)
{
    if (buffer == nullptr || size < 1)
        return 0;
    Output out(buffer, size);
    if (stamp == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return out.finish();
    }
    SYSTEMTIME time{};
    Stamp2Date(stamp, &time);
    if (picture != nullptr) {
        PictureEngine engine(time, out);
        engine.run(picture, 0);
    }
    return out.finish();
}

// The pictures of DateStringRec's format field, by DateFormats.
constexpr const char* kRequestPictures[] = {"dd/mmm/yy", "yy/mmm/dd", "mm/dd/yy", "dd/mm/yy"};

bool is_wanted(const char* buffer, int32_t size)
{
    return buffer != nullptr && size > 0;
}

void copy_name(char* const* names, int32_t count, int32_t index, char* buffer, int32_t size)
{
    Output out(buffer, size);
    if (index >= 0 && index < count)
        out.append(names[index]);
    out.finish();
}

}

extern "C" {

OSMARK_API int32_t FormatDateTime(const char* picture, const DateStampRec* stamp, char* buffer,
                                  int32_t size) noexcept
{
    return format_stamp(picture != nullptr && picture[0] != '\0' ? picture : "C", stamp, buffer, size);
}

OSMARK_API int32_t DateTimeToString(const DateStampRec* stamp, char* buffer, int32_t size) noexcept
{
    return format_stamp("C", stamp, buffer, size);
}

// The locale's formats may be missing (their allocation failed); that gives an empty
// text, not the picture "C" that FormatDateTime puts in place of a missing picture.
OSMARK_API int32_t DateToString(const DateStampRec* stamp, char* buffer, int32_t size) noexcept
{
    return format_stamp(GetSystemLocale()->loc_ShortDateFormat, stamp, buffer, size);
}

OSMARK_API int32_t TimeToString(const DateStampRec* stamp, char* buffer, int32_t size) noexcept
{
    return format_stamp(GetSystemLocale()->loc_LongTimeFormat, stamp, buffer, size);
}

}

extern "C" {

OSMARK_API int32_t DateToStr(DateStringRec* request) noexcept
{
    if (request == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    const Locale& locale = *GetSystemLocale();
    const DateStampRec& stamp = request->dat_Stamp;
    SYSTEMTIME time{};
    Stamp2Date(&stamp, &time);
    int32_t result = 0;
    if (is_wanted(request->dat_StrDate, request->dat_StrDateSize)) {
        const int32_t format = request->dat_Format;
        const char* picture = locale.loc_ShortDateFormat;
        if ((request->dat_Flags & DateFlagLongDate) != 0)
            picture = locale.loc_LongDateFormat;
        else if (format >= 0 && format < static_cast<int32_t>(std::size(kRequestPictures)))
            picture = kRequestPictures[format];
        result = format_stamp(picture, &stamp, request->dat_StrDate, request->dat_StrDateSize) > 0 ? 1 : 0;
    }
    if (is_wanted(request->dat_StrMonth, request->dat_StrMonthSize)) {
        copy_name(locale.loc_LongMonthNames, LocaleMonthCount, time.wMonth - 1, request->dat_StrMonth,
                  request->dat_StrMonthSize);
        result = 1;
    }
    if (is_wanted(request->dat_StrDay, request->dat_StrDaySize)) {
        copy_name(locale.loc_LongDayNames, LocaleDayCount, time.wDayOfWeek - 1, request->dat_StrDay,
                  request->dat_StrDaySize);
        result = 1;
    }
    if (is_wanted(request->dat_StrTime, request->dat_StrTimeSize))
        return format_stamp("hh:nn:ss", &stamp, request->dat_StrTime, request->dat_StrTimeSize) > 0 ? 1 : 0;
    return result;
}

}
