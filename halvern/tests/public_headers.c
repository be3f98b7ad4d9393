/* Compiled as strict C: every public header of Halvern must stand alone in C. */
#include "halvern/halvern.h"

int halvern_headers_compile_as_c(void);

int halvern_headers_compile_as_c(void)
{
    DXFDrawingRec drawing;
    ItemRec item;
    item.it_Insert.in_CircCount = 1;
    item.it_Composite.cp_List1.ib_N = 0;
    NewDXFDrawing(&drawing);
    return (int)(sizeof drawing + sizeof item.it_Header + (size_t)item.it_Insert.in_CircCount);
}
