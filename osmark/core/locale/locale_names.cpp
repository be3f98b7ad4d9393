// Replacing and reading the day and month names of the live locale record.

#include "core/locale/locale_system.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

namespace {

// The copy is made before the old name goes, so a failed allocation changes nothing
// and a name may be set from the string it replaces.
char* set_name(char** names, int32_t count, int32_t index, const char* name)
{
    if (index < 0 || index >= count) {
        osmark::set_io_error(IoErrBufferOverflow);
        return nullptr;
    }
    if (name == nullptr)
        return names[index];
    char* copy = AllocStr(0, name);
    if (copy == nullptr)
        return nullptr;
    osmark::adopt_locale_string(names[index], copy);
    return copy;
}

}

extern "C" {

OSMARK_API char* SetDayName(int32_t index, const char* name, int32_t short_name) noexcept
{
    Locale& live = *GetSystemLocale();
    return set_name(short_name != 0 ? live.loc_ShortDayNames : live.loc_LongDayNames, LocaleDayCount,
                    index, name);
}

OSMARK_API char* SetMonthName(int32_t index, const char* name, int32_t short_name) noexcept
{
    Locale& live = *GetSystemLocale();
    return set_name(short_name != 0 ? live.loc_ShortMonthNames : live.loc_LongMonthNames,
                    LocaleMonthCount, index, name);
}

}
