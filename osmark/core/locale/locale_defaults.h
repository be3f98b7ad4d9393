// The built-in defaults of the locale record, for the start-up steps that fill the
// live record.
#ifndef OSMARK_CORE_LOCALE_DEFAULTS_H
#define OSMARK_CORE_LOCALE_DEFAULTS_H

#include "osmark/locale.h"

namespace osmark {

// Fills the defaults record (static texts, every field not named zero) and returns
// it. Its variable lists are zero, not empty lists: whoever copies the record into a
// live one makes the live lists empty.
const Locale& fill_default_locale();

}

#endif
