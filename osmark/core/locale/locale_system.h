// The strings that the locale start-up allocates for the live locale record, and
// their release.
//
// The record's string fields point either at the built-in default texts (static, never
// freed) or at copies that the library allocated. The library remembers its copies
// itself, so that a field overwritten by a caller or by the defaults step never leaks
// its copy and a default text is never freed.
#ifndef OSMARK_CORE_LOCALE_SYSTEM_H
#define OSMARK_CORE_LOCALE_SYSTEM_H

#include "osmark/locale.h"
#include "platform/locale_info.h"

namespace osmark {

// Makes copy (from AllocStr, or NULL) the value of field, a string field of the live
// record, and frees the copy that the library held for that field before.
void adopt_locale_string(char*& field, char* copy);

// A number field of the system's locale: the text read (the default text when the read
// fails) as a whole decimal number, else the fallback.
int32_t read_locale_number(LCID locale, LCTYPE type, const char* default_text, int32_t fallback);

// Frees every copy and the lead-byte block; fields that still pointed at them get
// their default values back. Safe to run more than once.
void free_locale_strings();

}

#endif
