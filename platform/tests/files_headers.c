/* Compiled as strict C: the file services' public headers must stand alone in C. */
#include "platform/files.h"
#include "platform/system_time.h"
#include "platform/volumes.h"

int platform_file_headers_compile_as_c(void);

int platform_file_headers_compile_as_c(void)
{
    LARGE_INTEGER position;
    WIN32_FIND_DATAA data;
    position.QuadPart = 0;
    position.LowPart = 1;
    return (int)(sizeof data + sizeof(FILETIME) + sizeof(SYSTEMTIME) + sizeof(NETRESOURCEA) +
                 position.u.LowPart);
}
