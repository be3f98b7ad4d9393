/*
 * Settings files: small text files of "[section]" headers and "key=value" entries,
 * with the default extension ".env".
 *
 * The format. Lines end in LF, CR or CR LF when read; every line written ends in CR LF.
 * A header is a line that begins with '[' and holds a ']': the section's name is the
 * text up to the first ']' (the rest of the line is ignored). Inside a section a line
 * that holds '=' is an entry: the key is the text before the first '=', the value the
 * text after it, neither trimmed. Keys and section names compare without regard to
 * case; several sections may bear one name. In values a backslash escapes: \\ \n \r
 * \t stand for a backslash, LF, CR and TAB; before any other character the backslash
 * is dropped. Empty lines, lines before the first header and lines without '=' carry
 * nothing.
 *
 * Locating a file. A name with a drive part (after assign expansion: "C:", a network
 * share) or that begins at the root ("/...") is used as it stands; any other name is
 * looked for with FileSearch (the name itself, then the program's folder, then "ENV:",
 * default extension "env"), and when it is nowhere, it names a file under "ENV:". A
 * path without any '.' gets ".env".
 */
#ifndef OSMARK_SETTINGS_H
#define OSMARK_SETTINGS_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

/*
 * Reads from a settings file:
 *  - section and key given: the value of the first entry of that key in any section of
 *    that name, escapes resolved; else the default (NULL: empty);
 *  - section given, key NULL: the keys of the first section of that name, each with a
 *    NUL, then one more NUL;
 *  - section NULL: the names of every section in file order, the same way.
 * A list replaces the default even when it is empty. The answer is copied into buffer
 * (when buffer is not NULL and size above 0) as far as it fits, the last byte then
 * being a NUL. Returns the answer's full length (the list's bytes without the final
 * NUL), whether or not it fitted. A missing or unreadable file gives the default.
 */
OSMARK_API int32_t ReadEnvString(const char* file, const char* section, const char* key,
                                 const char* default_value, char* buffer, int32_t size) OSMARK_NOEXCEPT;

/*
 * Changes a settings file:
 *  - section, key and value given: sets the entry (in place, or at the end of the
 *    section, or in a new section at the end of the file); a new file is created;
 *  - value NULL: removes the key's entries from the section;
 *  - key NULL: removes the section;
 *  - section NULL: deletes the file (1 even when the deletion fails).
 * A rewrite keeps a backup "<name>.bak" while it runs and tidies the file: empty lines
 * and the text after a header's ']' go, one empty line separates sections (two after
 * the one written). When a write fails the file is put back from the backup.
 * 1, or 0 when nothing (or nothing lasting) was changed: a NULL file name, a key that
 * begins with '[' or holds '=', CR or LF, a section name that holds ']', CR or LF, a
 * file named "*.bak" that would be its own backup, a file that cannot be created,
 * backed up or rewritten.
 */
OSMARK_API int32_t WriteEnvString(const char* file, const char* section, const char* key,
                                  const char* value) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
