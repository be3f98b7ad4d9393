/* Compiled as strict C: every public header of Osmark must stand alone in C. */
#include "osmark/osmark.h"
#include "osmark/testing.h"

int osmark_headers_compile_as_c(void);

int osmark_headers_compile_as_c(void)
{
    TagItem items[2] = {{TagIgnore, 0}, {TagEnd, 0}};
    return (int)(items[0].ti_Tag + sizeof(List) + sizeof(Hook));
}
