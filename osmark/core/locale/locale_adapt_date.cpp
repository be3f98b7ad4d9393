// Adapting the system's date formats to era-based calendars.
//
// Era-based calendars (Japanese emperor era, Taiwan, Korean Tangun) count years within
// an era: their formats name the era year (e) and a longer era name (ggg). Systems of
// the Far East that use the Gregorian calendar still carry era letters in their
// formats, which then stand for nothing.

#include "core/locale/locale_system.h"

#include "core/runtime/make_error.h"
#include "core/text/string_chars.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

#include <cstring>

namespace {

constexpr size_t kMaxAdaptedLength = 254;
constexpr int32_t kFirstEraCalendar = 3;
constexpr int32_t kLastEraCalendar = 5;
constexpr uint32_t kJapanese = 0x11;
constexpr uint32_t kChinese = 4;
constexpr uint32_t kKorean = 0x12;

enum class Adaptation { Copy, EraCalendar, DropEraLetters };

// The adapted text, cut (never inside a character) at the longest length allowed.
class AdaptedText {
public:
    bool append(const char* text, size_t length)
    {
        if (m_full || m_length + length > kMaxAdaptedLength) {
            m_full = true;
            return false;
        }
        std::memcpy(m_text + m_length, text, length);
        m_length += length;
        m_text[m_length] = '\0';
        return true;
    }
    const char* text() const { return m_text; }

private:
    char m_text[kMaxAdaptedLength + 1] = {};
    size_t m_length = 0;
    bool m_full = false;
};

bool is_y(char c)
{
    return osmark::fold(c) == 'y';
}

// Length of the run of y letters (any case) at p, counted up to four.
size_t year_run(const char* p)
{
    size_t run = 0;
    while (run < 4 && is_y(p[run]))
        ++run;
    return run;
}

Adaptation adaptation_for_system()
{
    const int32_t calendar =
        osmark::read_locale_number(GetThreadLocale(), LOCALE_ICALENDARTYPE, "0", 1);
    if (calendar >= kFirstEraCalendar && calendar <= kLastEraCalendar)
        return Adaptation::EraCalendar;
    const uint32_t language = GetSystemLocale()->loc_PrimaryLanguageID;
    if (language == kJapanese || language == kChinese || language == kKorean)
        return Adaptation::DropEraLetters;
    return Adaptation::Copy;
}

void adapt(const char* format, Adaptation adaptation, AdaptedText& out)
{
    const bool multi_byte = osmark::has_lead_bytes();
    const char* p = format;
    while (*p != '\0') {
        if (multi_byte && osmark::character_length(p) == 2) {
            if (!out.append(p, 2))
                return;
            p += 2;
            continue;
        }
        const uint8_t letter = osmark::fold(*p);
        if (adaptation == Adaptation::DropEraLetters && letter == 'g') {
            ++p;
            continue;
        }
        if (adaptation == Adaptation::EraCalendar && letter == 'g' && osmark::fold(p[1]) == 'g') {
            if (!out.append("ggg", 3))
                return;
            p += 2;
            continue;
        }
        if (adaptation == Adaptation::EraCalendar && letter == 'y') {
            const size_t run = year_run(p);
            // yyyy and yy name the era year in full, a single y without leading zero.
            const size_t used = run == 4 ? 4 : run >= 2 ? 2 : 1;
            if (!out.append(used == 1 ? "e" : "ee", used == 1 ? 1 : 2))
                return;
            p += used;
            continue;
        }
        if (!out.append(p, 1))
            return;
        ++p;
    }
}

}

extern "C" {

OSMARK_API char* AdaptDateFormat(const char* format) noexcept
{
    if (format == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return nullptr;
    }
    AdaptedText out;
    adapt(format, adaptation_for_system(), out);
    return AllocStr(0, out.text());
}

}
