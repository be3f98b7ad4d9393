// Text forms of the values the XML tree stores: escaping of the five special
// characters and resolution of references, quoting, line wrapping, conversions between
// the document's 8-bit text (Windows-1252 or UTF-8) and UTF-16, Base64 and hexadecimal
// for binary data, and the float, date-time and boolean texts.
//
// 8-bit strings are std::string; "wide" strings are std::u16string. UTF-8 is handled in
// full: sequences of four bytes stand for surrogate pairs, and a malformed sequence or a
// lone surrogate becomes "?" without losing the rest of the text.
#ifndef VISTREL_XML_XML_ENCODINGS_H
#define VISTREL_XML_XML_ENCODINGS_H

#include <framework/sysutils.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace vistrel {

// Every special character (& < > ' ") replaced by its entity; an ampersand is escaped
// even where it already starts an entity.
std::string EscapeString(std::string_view text);
// The five entities (exact case) and character references resolved. UTF-8: references
// to 1 .. 0x10FFFF outside the surrogates become their UTF-8 bytes; 8-bit: references to
// 1 .. 255 become that byte. Anything else (other names, "&#0;", a lone "&", a reference
// without ";") stays as written.
std::string UnescapeStringUtf8(std::string_view text);
std::string UnescapeStringAnsi(std::string_view text);

// In double quotes, or in single quotes with inner single quotes doubled when the text
// holds a double quote.
std::string QuoteString(std::string_view text);
// The text between a leading quote and its closing quote, doubled quotes made single;
// a text that does not start with a quote (or is shorter than two) unchanged.
std::string UnquoteString(std::string_view text);

// chars before every run of `interval` characters and once after the last; text
// unchanged for empty chars or an interval below 1.
std::string AddControlChars(std::string_view text, std::string_view chars, int interval);
// The text without tabs, line feeds, carriage returns and blanks.
std::string RemoveControlChars(std::string_view text);
// The text without the characters of codes 0 to 32 at both ends.
std::string TrimControls(std::string_view text);

// Buffer conversions between UTF-16 and UTF-8: at most max_dest units of dest are
// written, the last being a terminating zero; the result is the count written with the
// zero, or 0 for a null buffer or no room.
int UnicodeToUtf8Buffer(char* dest, int max_dest_bytes, const char16_t* source, int source_chars);
int Utf8ToUnicodeBuffer(char16_t* dest, int max_dest_chars, const char* source, int source_bytes);
std::string UnicodeToUtf8(std::u16string_view text);
std::u16string Utf8ToUnicode(std::string_view text);
// Between the system code page (Windows-1252; "?" for what it lacks) and UTF-8.
std::string AnsiToUtf8(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);
// One character of the system code page as UTF-16, and back ('?' when it has none).
char16_t AnsiCharToUnicode(unsigned char c);
char UnicodeToAnsiChar(char32_t code_point);

// Base64 (RFC 4648, "=" padding, no line breaks).
std::string EncodeBase64(const void* buffer, int count);
// count bytes from text; raises EFilerError "Missing data in binary stream" before
// writing anything when the text holds fewer. Characters outside the alphabet count 0.
void DecodeBase64(std::string_view text, void* buffer, int count);
// Two upper-case digits per byte.
std::string BufferToHex(const void* buffer, int count);
// count bytes from pairs of digits (either case); conversion stops at the first pair
// that is no hexadecimal number. Raises "Missing data in binary stream" when the text
// is too short.
void HexToBuffer(std::string_view text, void* buffer, int count);

// value with 1 .. 9 significant digits, trailing zeros behind the point dropped, no
// zero before a leading point, scientific notation ("5E-3") when allowed and the
// exponent is far from the digits. Raises Exception "Significant digits out of range",
// and EConvertError "Invalid floating point value" for an infinite value or none.
std::string FloatToString(double value, int significant_digits, bool allow_scientific);

// "yyyy-mm-ddThh:nn:ss.zzzZ", or "yyyy-mm-dd" for a whole day (no time-zone shift).
std::string DateTimeToString(fw::TDateTime value);
// From that form (fields by position; a text of 16 characters or fewer has no time).
// Raises the framework's conversion errors for fields that are no numbers or no date.
fw::TDateTime DateTimeFromString(std::string_view text);
fw::TDateTime DateTimeFromStringDefault(std::string_view text, fw::TDateTime fallback);

// "F"/"N" false, "T"/"Y" true by the first character in either case; otherwise
// Exception "Cannot convert value to bool".
bool StringToBool(std::string_view text);
std::string BoolToString(bool value);

// The integer of a text as the framework's StrToInt reads it (decimal with a sign, or
// "$"-hexadecimal), raising its EConvertError; TryParseInteger answers false instead.
int32_t ParseInteger(std::string_view text);
bool TryParseInteger(std::string_view text, int32_t& value);
int64_t ParseInt64(std::string_view text);
bool TryParseInt64(std::string_view text, int64_t& value);
// A real with "." as the point (the first "," counts as one), an optional exponent;
// false for anything else.
bool TryParseFloat(std::string_view text, double& value);

}

#endif
