// The locale answers shared by the locale sources of the platform layer.
#ifndef PLATFORM_SRC_LOCALE_ANSWERS_H
#define PLATFORM_SRC_LOCALE_ANSWERS_H

#include "platform/locale_info.h"

#include <cstddef>

namespace platform {

// The injected locale of the test seam, or NULL for the platform's own answers.
const PlatformLocaleAnswers* injected_locale();

// Hands text of the given length out as GetLocaleInfoA does: size 0 asks for the
// size with the NUL; a buffer too small fails with ERROR_INSUFFICIENT_BUFFER.
int copy_locale_text(const char* text, size_t length, LPSTR buffer, int size);

}

#endif
