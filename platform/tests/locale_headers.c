/* Compiled as strict C: the locale and clock headers must stand alone in C. */
#include "platform/locale_info.h"
#include "platform/timing.h"

int platform_locale_headers_compile_as_c(void);

int platform_locale_headers_compile_as_c(void)
{
    PlatformLocaleAnswers answers = {0};
    CPINFO info = {0};
    OSVERSIONINFOA version = {0};
    return (int)(sizeof answers + sizeof info + sizeof version) + THREAD_PRIORITY_TIME_CRITICAL;
}
