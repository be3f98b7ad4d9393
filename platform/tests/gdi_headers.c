/* Compiled as strict C: the GDI's public headers stand alone in C. */
#include "platform/gdi.h"
#include "platform/gdi_support.h"

int platform_gdi_headers_compile_as_c(void);

int platform_gdi_headers_compile_as_c(void)
{
    LOGFONTA font = {0};
    RECT rect = {0, 0, 1, 1};
    COLORREF colour = RGB(1, 2, 3);
    HGDIOBJ error = HGDI_ERROR;
    return (int)(sizeof font + (size_t)rect.right + GetRValue(colour) + (error != NULL));
}
