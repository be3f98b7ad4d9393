// The printf-style formatter and its buffer families.
//
// One formatter serves every argument source: the slot arrays of the exported calls
// and the C variable argument lists of functions that take "...". Counts are kept in
// 64 bits, so widths and precisions that no 32-bit count can hold never wrap it.

#include "osmark/format.h"

#include "core/runtime/make_error.h"
#include "core/text/real_format.h"
#include "osmark/errors.h"
#include "osmark/strings.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstring>

static_assert(sizeof(uintptr_t) >= sizeof(double), "a real is stored in one argument slot");

namespace osmark {
namespace {

enum FormatFlags : uint32_t {
    FormatLong = 0x01,
    FormatLongDouble = 0x02,
    FormatShort = 0x04,
    FormatAlternate = 0x08,
    FormatLeftAdjust = 0x10,
    FormatZeroPad = 0x20,
    FormatHexPrefix = 0x40
};

// Widths and precisions saturate here: a larger one would only overflow the count.
constexpr int64_t kMaxFieldSize = INT32_MAX;

constexpr char kLowerDigits[] = "0123456789abcdef";
constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr char kNullString[] = "(null)";

// Arguments from an array of slots (a NULL array reads as slots of 0).
class SlotArguments {
public:
    explicit SlotArguments(const uintptr_t* slots) : m_slots(slots) {}

    uint32_t integer(bool /*is_long*/) { return static_cast<uint32_t>(next()); }
    int32_t field_size() { return static_cast<int32_t>(static_cast<uint32_t>(next())); }
    uintptr_t pointer() { return next(); }
    double real() { return std::bit_cast<double>(static_cast<uint64_t>(next())); }

private:
    uintptr_t next() { return m_slots != nullptr ? m_slots[m_next++] : 0; }

    const uintptr_t* m_slots;
    size_t m_next = 0;
};

// Arguments from a C variable argument list: each read takes the C type that a
// caller of printf passes for the conversion.
class VaListArguments {
public:
    explicit VaListArguments(va_list& list) : m_list(list) {}

    uint32_t integer(bool is_long)
    {
        if (is_long)
            return static_cast<uint32_t>(va_arg(m_list, long));
        return static_cast<uint32_t>(va_arg(m_list, int));
    }
    int32_t field_size() { return va_arg(m_list, int); }
    uintptr_t pointer() { return reinterpret_cast<uintptr_t>(va_arg(m_list, void*)); }
    double real() { return va_arg(m_list, double); }

private:
    va_list& m_list;
};

// One conversion specification as the format gives it.
struct Specification {
    uint32_t flags = 0;
    int64_t width = 0;
    int64_t precision = -1; // -1: none
    char sign = '\0';       // '\0', ' ', '+' or '-'
};

// What a conversion produced, ready to be laid out in its field.
struct Field {
    const char* text = nullptr;
    size_t size = 0;
    size_t owed_zeros_at = 0;     // where the owed zeros go within text
    uint64_t owed_zeros = 0;      // a real's precision beyond the largest converted
    int64_t integer_precision = 0; // minimum digits of an integer conversion
    char hex_letter = 'x';
};

int64_t saturating_field_size(int64_t value)
{
    return std::min(value, kMaxFieldSize);
}

template <typename Arguments>
class Formatter {
public:
    Formatter(PutCharFunc callback, void* data, Arguments& arguments)
        : m_callback(callback), m_data(data), m_arguments(arguments)
    {
    }

    int32_t run(const char* format);

private:
    void put(char character) { m_callback(character, m_data); }
    void put_run(char character, int64_t count)
    {
        for (; count > 0; --count)
            put(character);
    }
    void put_text(const char* text, size_t size)
    {
        for (size_t i = 0; i < size; ++i)
            put(text[i]);
    }
    int32_t count32() const { return static_cast<int32_t>(std::min<uint64_t>(m_count, INT32_MAX)); }

    const char* parse_digits(const char* at, int64_t& value);
    void convert(char conversion, Specification& spec);
    void convert_integer(char conversion, Specification& spec);
    void convert_real(char conversion, Specification& spec);
    void store_count(const Specification& spec);
    void lay_out(const Specification& spec, const Field& field);

    PutCharFunc m_callback;
    void* m_data;
    Arguments& m_arguments;
    uint64_t m_count = 0;
    // Digits of an integer (64 binary digits at most, and a leading 0) or a character.
    std::array<char, 72> m_digits{};
    RealText m_real;
};

template <typename Arguments>
const char* Formatter<Arguments>::parse_digits(const char* at, int64_t& value)
{
    value = 0;
    for (; *at >= '0' && *at <= '9'; ++at)
        value = saturating_field_size(value * 10 + (*at - '0'));
    return at;
}

template <typename Arguments>
int32_t Formatter<Arguments>::run(const char* format)
{
    const char* at = format;
    for (;;) {
        const char character = *at++;
        if (character == '\0')
            break;
        if (character != '%') {
            put(character);
            ++m_count;
            continue;
        }
        Specification spec;
        bool specifying = true;
        while (specifying) {
            const char next = *at;
            if (next == '\0')
                break; // the format ends inside the conversion
            ++at;
            switch (next) {
            case ' ':
                if (spec.sign == '\0')
                    spec.sign = ' ';
                break;
            case '+':
                spec.sign = '+';
                break;
            case '-':
                spec.flags |= FormatLeftAdjust;
                break;
            case '#':
                spec.flags |= FormatAlternate;
                break;
            case '0':
                spec.flags |= FormatZeroPad;
                break;
            case '*': {
                const int64_t width = m_arguments.field_size();
                if (width < 0)
                    spec.flags |= FormatLeftAdjust;
                spec.width = saturating_field_size(width < 0 ? -width : width);
                break;
            }
            case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8':
            case '9':
                at = parse_digits(at - 1, spec.width);
                break;
            case '.':
                if (*at == '*') {
                    ++at;
                    spec.precision = m_arguments.field_size();
                } else {
                    at = parse_digits(at, spec.precision);
                }
                if (spec.precision < 0)
                    spec.precision = -1;
                break;
            case 'h':
                spec.flags |= FormatShort;
                break;
            case 'l':
                spec.flags |= FormatLong;
                break;
            case 'L':
                spec.flags |= FormatLongDouble;
                break;
            case 'c': case 'C': case 'd': case 'i': case 'D': case 'u': case 'U': case 'o':
            case 'O': case 'x': case 'X': case 'b': case 'B': case 'p': case 'n': case 'N':
            case 's': case 'e': case 'E': case 'f': case 'g': case 'G':
                convert(next, spec);
                specifying = false;
                break;
            default:
                // Not a conversion ("%%" among them): the character stands for itself.
                put(next);
                ++m_count;
                specifying = false;
                break;
            }
        }
        if (specifying)
            break;
    }
    put('\0');
    return count32();
}

template <typename Arguments>
void Formatter<Arguments>::convert(char conversion, Specification& spec)
{
    // The upper-case forms are the long forms of their letters.
    if (conversion == 'B' || conversion == 'C' || conversion == 'D' || conversion == 'N' ||
        conversion == 'O' || conversion == 'U')
        spec.flags |= FormatLong;
    Field field;
    switch (conversion) {
    case 'c':
    case 'C':
        m_digits[0] = static_cast<char>(m_arguments.integer((spec.flags & FormatLong) != 0));
        field.text = m_digits.data();
        field.size = 1;
        spec.sign = '\0';
        break;
    case 's': {
        const char* string = reinterpret_cast<const char*>(m_arguments.pointer());
        if (string == nullptr)
            string = kNullString;
        size_t size = 0;
        if (spec.precision >= 0) {
            const auto limit = static_cast<size_t>(spec.precision);
            while (size < limit && string[size] != '\0')
                ++size;
        } else {
            size = static_cast<size_t>(StrLen(string));
        }
        field.text = string;
        field.size = size;
        spec.sign = '\0';
        break;
    }
    case 'n':
    case 'N':
        store_count(spec);
        return;
    case 'e':
    case 'E':
    case 'f':
    case 'g':
    case 'G':
        convert_real(conversion, spec);
        return;
    default:
        convert_integer(conversion, spec);
        return;
    }
    field.owed_zeros_at = field.size;
    lay_out(spec, field);
}

template <typename Arguments>
void Formatter<Arguments>::store_count(const Specification& spec)
{
    void* target = reinterpret_cast<void*>(m_arguments.pointer());
    if (target == nullptr)
        return;
    const bool is_short = (spec.flags & FormatShort) != 0 && (spec.flags & FormatLong) == 0;
    if (is_short) {
        const auto count = static_cast<int16_t>(static_cast<uint16_t>(count32()));
        std::memcpy(target, &count, sizeof count);
    } else {
        const int32_t count = count32();
        std::memcpy(target, &count, sizeof count);
    }
}

template <typename Arguments>
void Formatter<Arguments>::convert_integer(char conversion, Specification& spec)
{
    const bool is_long = (spec.flags & FormatLong) != 0;
    const bool is_short = (spec.flags & FormatShort) != 0 && !is_long;
    uint64_t magnitude = 0;
    uint32_t base = 10;
    const char* digit_table = conversion == 'X' ? kUpperDigits : kLowerDigits;
    switch (conversion) {
    case 'd':
    case 'i':
    case 'D': {
        const uint32_t word = m_arguments.integer(is_long);
        const int64_t value = is_short ? int64_t{static_cast<int16_t>(static_cast<uint16_t>(word))}
                                       : int64_t{static_cast<int32_t>(word)};
        if (value < 0)
            spec.sign = '-';
        magnitude = static_cast<uint64_t>(value < 0 ? -value : value);
        break;
    }
    case 'p':
        magnitude = m_arguments.pointer();
        base = 16;
        spec.sign = '\0';
        break;
    default: {
        const uint32_t word = m_arguments.integer(is_long);
        magnitude = is_short ? (word & 0xFFFFu) : word;
        if (conversion == 'o' || conversion == 'O')
            base = 8;
        else if (conversion == 'x' || conversion == 'X')
            base = 16;
        else if (conversion == 'b' || conversion == 'B')
            base = 2;
        spec.sign = '\0';
        break;
    }
    }

    Field field;
    field.integer_precision = spec.precision;
    if (spec.precision >= 0)
        spec.flags &= ~FormatZeroPad;
    const bool alternate = (spec.flags & FormatAlternate) != 0;
    if (alternate && base == 16 && conversion != 'p' && magnitude != 0) {
        spec.flags |= FormatHexPrefix;
        field.hex_letter = conversion;
    }
    size_t first = m_digits.size();
    if (magnitude != 0 || spec.precision != 0) {
        do {
            m_digits[--first] = digit_table[magnitude % base];
            magnitude /= base;
        } while (magnitude != 0);
        if (alternate && base == 8 && m_digits[first] != '0')
            m_digits[--first] = '0';
    }
    field.text = m_digits.data() + first;
    field.size = m_digits.size() - first;
    field.owed_zeros_at = field.size;
    lay_out(spec, field);
}

template <typename Arguments>
void Formatter<Arguments>::convert_real(char conversion, Specification& spec)
{
    const double value = m_arguments.real();
    const bool alternate = (spec.flags & FormatAlternate) != 0;
    int64_t precision = spec.precision < 0 ? 6 : spec.precision;
    Field field;
    if (precision > kMaxRealPrecision) {
        // g without # trims its zeros anyway; everywhere else the excess is printed.
        if ((conversion != 'g' && conversion != 'G') || alternate)
            field.owed_zeros = static_cast<uint64_t>(precision - kMaxRealPrecision);
        precision = kMaxRealPrecision;
    }
    m_real = format_real(value, static_cast<int>(precision), alternate, conversion);
    if (m_real.negative)
        spec.sign = '-';
    field.text = m_real.characters.data();
    field.size = m_real.length;
    field.owed_zeros_at = m_real.owed_zeros_at;
    field.integer_precision = 0;
    lay_out(spec, field);
}

// Pads and prints one converted value: spaces, sign, hex prefix, zeros, the value
// (with owed zeros), spaces. A sign or prefix counts toward an integer's precision.
template <typename Arguments>
void Formatter<Arguments>::lay_out(const Specification& spec, const Field& field)
{
    const bool has_prefix = (spec.flags & FormatHexPrefix) != 0;
    const bool left_adjust = (spec.flags & FormatLeftAdjust) != 0;
    const bool zero_pad = (spec.flags & FormatZeroPad) != 0;
    int64_t field_size = static_cast<int64_t>(field.size) + static_cast<int64_t>(field.owed_zeros);
    if (spec.sign != '\0')
        ++field_size;
    else if (has_prefix)
        field_size += 2;
    const int64_t real_size = std::max(field_size, field.integer_precision);

    if (!left_adjust && !zero_pad)
        put_run(' ', spec.width - real_size);
    if (spec.sign != '\0')
        put(spec.sign);
    if (has_prefix) {
        put('0');
        put(field.hex_letter);
    }
    if (zero_pad && !left_adjust)
        put_run('0', spec.width - real_size);
    put_run('0', field.integer_precision - field_size);
    put_text(field.text, field.owed_zeros_at);
    put_run('0', static_cast<int64_t>(field.owed_zeros));
    put_text(field.text + field.owed_zeros_at, field.size - field.owed_zeros_at);
    if (left_adjust)
        put_run(' ', spec.width - real_size);
    m_count += static_cast<uint64_t>(std::max(spec.width, real_size));
}

// The sinks of the buffer families.
void store_unbounded(char character, void* data)
{
    char*& next = *static_cast<char**>(data);
    *next++ = character;
}

struct BoundedBuffer {
    char* buffer;
    uint64_t count;
    uint64_t size;
};

void store_bounded(char character, void* data)
{
    auto& sink = *static_cast<BoundedBuffer*>(data);
    if (sink.count < sink.size)
        sink.buffer[sink.count] = character;
    ++sink.count;
}

}
}

extern "C" {

OSMARK_API int32_t RawDoFmtA(PutCharFunc callback, void* data, const char* format,
                             const uintptr_t* arguments) noexcept
{
    if (callback == nullptr || format == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    osmark::SlotArguments slots(arguments);
    return osmark::Formatter<osmark::SlotArguments>(callback, data, slots).run(format);
}

OSMARK_API int32_t RawDoFmtVaList(PutCharFunc callback, void* data, const char* format,
                                  va_list arguments) noexcept
{
    if (callback == nullptr || format == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    va_list list;
    va_copy(list, arguments);
    osmark::VaListArguments source(list);
    const int32_t count =
        osmark::Formatter<osmark::VaListArguments>(callback, data, source).run(format);
    va_end(list);
    return count;
}

OSMARK_API int32_t VSPrintf(char* buffer, const char* format, const uintptr_t* arguments) noexcept
{
    if (buffer == nullptr || format == nullptr) {
        if (buffer != nullptr)
            buffer[0] = '\0';
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    char* next = buffer;
    return RawDoFmtA(osmark::store_unbounded, &next, format, arguments);
}

OSMARK_API int32_t VSnPrintf(char* buffer, int32_t size, const char* format,
                             const uintptr_t* arguments) noexcept
{
    const uint64_t room = size > 0 ? static_cast<uint64_t>(size) : 0;
    if ((buffer == nullptr && room > 0) || format == nullptr) {
        if (buffer != nullptr && room > 0)
            buffer[0] = '\0';
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    osmark::BoundedBuffer sink{buffer, 0, room};
    return RawDoFmtA(osmark::store_bounded, &sink, format, arguments);
}

}
