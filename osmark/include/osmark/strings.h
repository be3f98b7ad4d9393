/*
 * Byte blocks and NUL-terminated 8-bit strings.
 *
 * Every function here tolerates NULL pointers and counts below 1 with a fixed result,
 * so calls can be chained without tests: a count below 1 does nothing, NULL strings
 * give the result their comment names. Lengths and counts are signed 32-bit.
 *
 * Comparisons return the difference of the first differing bytes taken as SIGNED
 * 8-bit values, so bytes from 0x80 up sort below ASCII. A NULL string sorts before
 * every string; two NULL strings are equal. The i forms fold 'A'..'Z' to 'a'..'z' and
 * nothing else.
 *
 * White space is blank, tab, line feed, vertical tab, form feed and carriage return.
 *
 * The Ansi and byte-type functions at the end know the multi-byte code page of the
 * live locale (locale.h): with lead bytes a character is one byte, or a lead byte and
 * its trail byte; without them every byte is a character. Indexes count from 0.
 */
#ifndef OSMARK_STRINGS_H
#define OSMARK_STRINGS_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

/* ---- Byte blocks (n below 1 does nothing; NULL blocks do nothing) ---- */

/* Copies n bytes forward, one by one; returns dst. */
OSMARK_API void* MemCpy(void* dst, const void* src, int32_t n) OSMARK_NOEXCEPT;
/* As MemCpy, copying 32-bit words first, then the last n mod 4 bytes; returns dst. */
OSMARK_API void* FastMemCpy(void* dst, const void* src, int32_t n) OSMARK_NOEXCEPT;
/* Copies n bytes, safe when the blocks overlap; returns dst. */
OSMARK_API void* MemMove(void* dst, const void* src, int32_t n) OSMARK_NOEXCEPT;
/* Copies up to and including the first byte equal to c, at most n bytes; returns the
 * address in dst just past the copied c, or NULL when c is not among the n bytes. */
OSMARK_API void* MemcCpy(void* dst, const void* src, int32_t c, int32_t n) OSMARK_NOEXCEPT;
/* Address of the first of n bytes equal to c, or NULL. */
OSMARK_API void* MemChr(const void* p, int32_t c, int32_t n) OSMARK_NOEXCEPT;
/* 0 when the n bytes are equal, else the signed difference of the first differing
 * bytes (folded for MemiCmp). */
OSMARK_API int32_t MemCmp(const void* a, const void* b, int32_t n) OSMARK_NOEXCEPT;
OSMARK_API int32_t MemiCmp(const void* a, const void* b, int32_t n) OSMARK_NOEXCEPT;
/* Fills n bytes with the low byte of value; returns p. */
OSMARK_API void* MemSet(void* p, int32_t value, int32_t n) OSMARK_NOEXCEPT;
/* Clears n bytes; returns p. */
OSMARK_API void* MemZero(void* p, int32_t n) OSMARK_NOEXCEPT;

/* ---- Strings: length, copy, join ---- */

/* Length; 0 for NULL. */
OSMARK_API int32_t StrLen(const char* s) OSMARK_NOEXCEPT;
/* Address of the terminating NUL; NULL for NULL. */
OSMARK_API char* StrEnd(const char* s) OSMARK_NOEXCEPT;
/* Copies src to dst (which must have room); returns dst, or NULL when either is NULL. */
OSMARK_API char* StrCpy(char* dst, const char* src) OSMARK_NOEXCEPT;
/* Copies at most n bytes and always terminates: dst holds n + 1 bytes. NULL src gives
 * the empty string; n below 0 writes nothing. Returns dst. */
OSMARK_API char* StrnCpy(char* dst, const char* src, int32_t n) OSMARK_NOEXCEPT;
/* Appends src; nothing for a NULL argument. Returns dst. */
OSMARK_API char* StrCat(char* dst, const char* src) OSMARK_NOEXCEPT;
/* Appends at most n bytes of src and terminates. Returns dst. */
OSMARK_API char* StrnCat(char* dst, const char* src, int32_t n) OSMARK_NOEXCEPT;
/* A copy from AllocVec (free with FreeVec); NULL for NULL, NULL with -1 without memory. */
OSMARK_API char* StrDup(const char* s) OSMARK_NOEXCEPT;

/* ---- Comparison ---- */

OSMARK_API int32_t StrCmp(const char* a, const char* b) OSMARK_NOEXCEPT;
/* At most n bytes; 0 when n < 1. */
OSMARK_API int32_t StrnCmp(const char* a, const char* b, int32_t n) OSMARK_NOEXCEPT;
OSMARK_API int32_t StriCmp(const char* a, const char* b) OSMARK_NOEXCEPT;
OSMARK_API int32_t StrniCmp(const char* a, const char* b, int32_t n) OSMARK_NOEXCEPT;
/* 1 when equal byte for byte (two NULLs are equal), else 0. */
OSMARK_API int32_t StrEq(const char* a, const char* b) OSMARK_NOEXCEPT;

/* ---- Searching ---- */

/* First c, the terminating NUL included (c = 0 finds the end); NULL when none. */
OSMARK_API char* StrChr(const char* s, int32_t c) OSMARK_NOEXCEPT;
/* Last c before the NUL; NULL when none, also for c = 0. */
OSMARK_API char* StrrChr(const char* s, int32_t c) OSMARK_NOEXCEPT;
/* First byte of s that is in set; NULL when none and for NULL arguments. */
OSMARK_API char* StrpBrk(const char* s, const char* set) OSMARK_NOEXCEPT;
/* Length of the leading run of s made of bytes in set; 0 for NULL. */
OSMARK_API int32_t StrSpn(const char* s, const char* set) OSMARK_NOEXCEPT;
/* First occurrence of sub; s itself when sub is NULL or empty; NULL when s is NULL or
 * sub does not occur. StriStr folds. */
OSMARK_API char* StrStr(const char* s, const char* sub) OSMARK_NOEXCEPT;
OSMARK_API char* StriStr(const char* s, const char* sub) OSMARK_NOEXCEPT;

/* ---- Cutting (dst must have room for the result and its NUL) ---- */

/* The first n bytes of src (all of it when shorter); n < 1 gives the empty string.
 * Returns dst; NULL for a NULL argument (nothing written). */
OSMARK_API char* StrLeft(char* dst, const char* src, int32_t n) OSMARK_NOEXCEPT;
/* n bytes from position start, counted from 1; start below 1, n < 0 or a start past
 * the end give the empty string. Returns dst; NULL for a NULL argument. */
OSMARK_API char* StrMid(char* dst, const char* src, int32_t start, int32_t n) OSMARK_NOEXCEPT;
/* The last n bytes of src (all of it when shorter); n < 1 gives the empty string.
 * Returns dst; NULL for a NULL argument. */
OSMARK_API char* StrRight(char* dst, const char* src, int32_t n) OSMARK_NOEXCEPT;

/* ---- Changing in place (each returns s; NULL for NULL) ---- */

/* ASCII letters only. */
OSMARK_API char* StrLower(char* s) OSMARK_NOEXCEPT;
OSMARK_API char* StrUpper(char* s) OSMARK_NOEXCEPT;
/* Every byte up to the NUL becomes c. */
OSMARK_API char* StrSet(char* s, int32_t c) OSMARK_NOEXCEPT;
/* At most n bytes become c, stopping at the NUL. */
OSMARK_API char* StrnSet(char* s, int32_t c, int32_t n) OSMARK_NOEXCEPT;
/* Every byte from becomes to. */
OSMARK_API char* StrRepChr(char* s, int32_t from, int32_t to) OSMARK_NOEXCEPT;
/* Removes every byte c. */
OSMARK_API char* StrRmChr(char* s, int32_t c) OSMARK_NOEXCEPT;
OSMARK_API char* StrRev(char* s) OSMARK_NOEXCEPT;
/*
 * Removes white space by mode letter (either case): 'T' at the end, 'L' at the start
 * (the rest moves to the front), 'B' both ends, 'A' both ends and every white-space
 * byte inside. Other letters change nothing.
 */
OSMARK_API char* StrStrip(char* s, int32_t mode) OSMARK_NOEXCEPT;
/*
 * Trims a formatted number: trailing '0's go (never the first byte); then a trailing
 * '.' goes when flag is non-zero, or gets one '0' after it when flag is 0 (the string
 * grows by one byte). An integer text loses its trailing zeros too ("100" -> "1").
 */
OSMARK_API char* StrRmZeros(char* s, int32_t flag) OSMARK_NOEXCEPT;

/* ---- Tokens ---- */

/*
 * Next token of s (non-NULL starts a new scan) or of the scan in progress (NULL).
 * Leading delimiters are skipped; the delimiter that ends a token becomes a NUL. NULL
 * at the end. One position serves the whole library: not for two threads or two
 * nested scans at once.
 */
OSMARK_API char* StrTok(char* s, const char* delimiters) OSMARK_NOEXCEPT;
/*
 * The token at *cursor up to the next delimiter, which becomes a NUL; *cursor moves
 * past it. When no delimiter follows, NULL is returned and *cursor stays, so the text
 * after the last delimiter is never a token. Consecutive delimiters give empty tokens.
 */
OSMARK_API char* StrToken(char** cursor, const char* delimiters) OSMARK_NOEXCEPT;

/* ---- Numbers ---- */

/*
 * A signed 32-bit integer. White space, an optional sign and white space again are
 * skipped. Base 0 takes the base from a prefix: "0x" 16, "0b" 2, a '0' before a digit
 * 8, else 10; bases 2, 8 and 16 skip their own prefix; other bases act as 10. Digits
 * accumulate in an unsigned 32-bit value that wraps. *end (when end is not NULL)
 * receives the first byte not used. NULL gives 0.
 */
OSMARK_API int32_t StrToLong(const char* s, char** end, int32_t base) OSMARK_NOEXCEPT;
/* StrToLong when the whole string is the number, else def; only white space gives 0,
 * NULL gives def. */
OSMARK_API int32_t StrToLongDef(const char* s, int32_t base, int32_t def) OSMARK_NOEXCEPT;
/*
 * A double: white space, sign, white space, decimal digits, '.' and fraction digits,
 * then 'e' or 'E' with an optional sign, digits and an optional fraction (a fractional
 * exponent is accepted: "1e0.5" is the square root of 10). *end receives the first
 * byte not used. NULL gives 0.0.
 */
OSMARK_API double StrToDouble(const char* s, char** end) OSMARK_NOEXCEPT;
/*
 * A number in a base chosen as by StrToLong; in base 10 with fraction and exponent as
 * StrToDouble, where a '.', 'e' or 'E' counts only when a byte follows it, and then
 * *integer_flag becomes 0 (it starts as 1). White space after the number is skipped:
 * *end is the terminating NUL when nothing else followed, else the first byte that is
 * not part of the number. *end starts as NULL and stays NULL for a NULL string.
 */
OSMARK_API double StrToNum(const char* s, char** end, int32_t* integer_flag, int32_t base) OSMARK_NOEXCEPT;
/*
 * Reads a line "key = value" (or "key value"): the line must begin with key; it is cut
 * at its first line feed and carriage return (in place); the value is what follows the
 * first '=' (or the key), stripped at both ends. Type letter (either case): 'D' an
 * int32_t (base by prefix), 'X' an int32_t in base 16, 'F' a double, 'S' the text,
 * without its quotes when it begins with '"', copied into result, which must have room
 * for the rest of the line. Returns 1 when a value was stored, else 0.
 */
OSMARK_API int32_t StrGetVar(char* line, const char* key, int32_t type, void* result) OSMARK_NOEXCEPT;

/* ---- Code-page functions (the live locale's comparison and lead bytes) ---- */

/*
 * Locale comparison of whole strings: -1, 0 or 1; -2 when the comparison fails (a
 * NULL argument). Letters compare without regard to case first and lower case sorts
 * before upper case when that is the only difference; the i forms ignore case.
 */
OSMARK_API int32_t AnsiStrCmp(const char* a, const char* b) OSMARK_NOEXCEPT;
OSMARK_API int32_t AnsiStriCmp(const char* a, const char* b) OSMARK_NOEXCEPT;
/* The same over at most n bytes of each; 0 when n < 1. */
OSMARK_API int32_t AnsiStrnCmp(const char* a, const char* b, int32_t n) OSMARK_NOEXCEPT;
OSMARK_API int32_t AnsiStrniCmp(const char* a, const char* b, int32_t n) OSMARK_NOEXCEPT;
/* In-place case conversion of the code page's letters; trail bytes are never
 * touched. Returns s. */
OSMARK_API char* AnsiStrLower(char* s) OSMARK_NOEXCEPT;
OSMARK_API char* AnsiStrUpper(char* s) OSMARK_NOEXCEPT;
/* As AnsiStrLower/AnsiStrUpper; with lead bytes only ASCII letters change. */
OSMARK_API char* AnsiFileNameStrLower(char* s) OSMARK_NOEXCEPT;
OSMARK_API char* AnsiFileNameStrUpper(char* s) OSMARK_NOEXCEPT;
/* AnsiStrCmp of lowered copies; -1 also when a copy cannot be allocated. */
OSMARK_API int32_t AnsiFileNameStrCmp(const char* a, const char* b) OSMARK_NOEXCEPT;
/* First / last c that is a whole one-byte character (lead and trail bytes are passed
 * over); c = 0 finds the terminating NUL; NULL when none. */
OSMARK_API char* AnsiStrChr(const char* s, int32_t c) OSMARK_NOEXCEPT;
OSMARK_API char* AnsiStrrChr(const char* s, int32_t c) OSMARK_NOEXCEPT;
/* First occurrence of sub that starts on a character boundary; NULL for NULL or
 * empty arguments (unlike StrStr). */
OSMARK_API char* AnsiStrStr(const char* s, const char* sub) OSMARK_NOEXCEPT;
OSMARK_API char* AnsiStriStr(const char* s, const char* sub) OSMARK_NOEXCEPT;
/* First byte of the last character; NULL for NULL or the empty string. */
OSMARK_API char* AnsiLastChar(const char* s) OSMARK_NOEXCEPT;
/* 1 when byte lies in one of the live locale's lead-byte ranges, else 0. */
OSMARK_API int32_t IsLeadByte(int32_t byte) OSMARK_NOEXCEPT;

enum ByteTypes {
    ByteTypeSingle = 0,
    ByteTypeLead = 1,
    ByteTypeTrail = 2
};

/* Type of the byte at index: always ByteTypeSingle without lead bytes, and for an
 * index outside the string. ByteTypeTest ignores the multi-byte flag. */
OSMARK_API int32_t ByteType(const char* s, int32_t index) OSMARK_NOEXCEPT;
OSMARK_API int32_t ByteTypeTest(const char* s, int32_t index) OSMARK_NOEXCEPT;
/* Characters that begin before the byte index; -1 when the index is negative or not
 * below the length. */
OSMARK_API int32_t ByteToCharIndex(const char* s, int32_t index) OSMARK_NOEXCEPT;
/* Characters that begin in the first min(length, StrLen(s)) bytes; -1 for length < 0. */
OSMARK_API int32_t ByteToCharLen(const char* s, int32_t length) OSMARK_NOEXCEPT;
/* Byte index of the character with that index; -1 when the index is negative, not
 * below the byte length, or past the characters of s. */
OSMARK_API int32_t CharToByteIndex(const char* s, int32_t index) OSMARK_NOEXCEPT;
/* Bytes taken by the first count characters (cut to the byte length); -1 for
 * count < 0. */
OSMARK_API int32_t CharToByteLen(const char* s, int32_t count) OSMARK_NOEXCEPT;
/* Walks at most n characters from the start of s; *characters receives how many
 * there were and *bytes the bytes they take. Either out pointer may be NULL. */
OSMARK_API void CountChars(const char* s, int32_t n, int32_t* characters, int32_t* bytes) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
