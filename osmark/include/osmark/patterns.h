/*
 * Patterns and wildcard scans.
 *
 * ParsePattern compiles a pattern text into a token string held in a ParsedPattern
 * record (osmark/directories.h); MatchPattern tests a name against it. The language:
 *
 *     ?        any one character but a path separator
 *     * or #?  any run of characters within one path component
 *     #x       x repeated zero or more times (x: a character, ?, a class or a group)
 *     !x       anything but x (x as for #)
 *     (a|b|c)  one of the alternatives (the longest match wins)
 *     [a-cx]   one character of the set; [!a-c] one character outside it
 *     %        the empty string
 *     `x       the character x itself
 *
 * Path separators (those of the Locale record) always compare equal to each other;
 * flag PatternNoCase makes letters compare without regard to case.
 *
 * MatchFirst, MatchNext and MatchEnd walk the entries that the platform's wildcard
 * search ('*' and '?' in the last component) finds for a path.
 */
#ifndef OSMARK_PATTERNS_H
#define OSMARK_PATTERNS_H

#include "osmark/api.h"
#include "osmark/directories.h"

OSMARK_BEGIN_DECLS

/* The bytes of a token string; every other byte is a literal character, so a literal
 * byte from 1 to 13 cannot be told from a token. */
enum PatternTokens {
    PatternTokenEnd = 1,          /* end of the pattern */
    PatternTokenAny = 2,          /* ? */
    PatternTokenGroup = 3,        /* ( */
    PatternTokenAlternative = 4,  /* | */
    PatternTokenGroupEnd = 5,     /* ) */
    PatternTokenNot = 6,          /* ! ; its operand is followed by PatternTokenNotEnd */
    PatternTokenNotEnd = 7,
    PatternTokenNotClass = 8,     /* [! ; then a length byte n (0..32) and n set bytes */
    PatternTokenClass = 9,        /* [ ; encoded as PatternTokenNotClass */
    PatternTokenRepeat = 10,      /* # ; its operand is followed by PatternTokenRepeatEnd */
    PatternTokenRepeatEnd = 11,
    PatternTokenStar = 12,        /* * and #? */
    PatternTokenEmpty = 13        /* % */
};

/*
 * Compiles text into record (which is cleared first: a token buffer it held is not
 * freed). Returns 1 when the pattern has wildcards, 0 when it is literal (an empty
 * text gives 0 and no token buffer), -1 on error with the code stored: -4 for a NULL
 * argument, -27 for a misplaced character, -29 for a group or class left open, -30
 * for groups nested more than 100 deep, -31 for a token string beyond 65536 bytes,
 * -1 when memory runs out. After an error the token buffer (when there is one) holds
 * a single end token and the token length is 0. The owner frees the token buffer with
 * FreeVec.
 */
OSMARK_API int32_t ParsePattern(const char* text, ParsedPattern* record) OSMARK_NOEXCEPT;

/*
 * 1 when name matches the record's tokens, 0 when not (also for a NULL record or name
 * and for a record without token buffer), -1 with -27 for a damaged token string or
 * -30 for recursion deeper than 100 levels.
 */
OSMARK_API int32_t MatchPattern(const ParsedPattern* record, const char* name) OSMARK_NOEXCEPT;

/* The caller's record of a wildcard scan, filled by MatchFirst. A state pointer that
 * is not one of a running scan (a record never cleared) is ignored, never freed. */
typedef struct MatchAnchor {
    FileInfoBlock ma_Info;    /* the entry found */
    uint32_t ma_Mask;         /* entries with any of these attribute bits are skipped
                                 (FILE_ATTRIBUTE_DIRECTORY, 16, skips folders) */
    void* ma_State;           /* the running scan, NULL when none runs */
} MatchAnchor;

/*
 * Starts a scan of the entries that the platform's wildcard search finds for the
 * assign-expanded pattern and copies the first entry that the mask does not exclude
 * into anchor->ma_Info. Returns 0 when one was found; -12 when the search finds
 * nothing; -1 when memory runs out; -4 for a NULL argument; otherwise a nonzero value
 * (the platform's error number when every entry found was excluded). On every result
 * but 0 no scan is left running.
 */
OSMARK_API int32_t MatchFirst(const char* pattern, uint32_t mask, MatchAnchor* anchor) OSMARK_NOEXCEPT;
/* The next entry not excluded by the mask: 0 when found; -4 when no scan runs;
 * otherwise the platform's error number of the failed step (ERROR_NO_MORE_FILES at
 * the end), and the scan is ended. */
OSMARK_API int32_t MatchNext(MatchAnchor* anchor) OSMARK_NOEXCEPT;
/* Ends the scan and frees its state; NULL or an idle anchor is ignored. */
OSMARK_API void MatchEnd(MatchAnchor* anchor) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
