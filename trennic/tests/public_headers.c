/* Compiled as strict C: every public header of Trennic must stand alone in C. */
#include "trennic/trennic.h"

int trennic_headers_compile_as_c(void);

int trennic_headers_compile_as_c(void)
{
    QXGeometryRec geometry;
    QXElementRec record;
    QX_NewGeometry(&geometry);
    record.qe_Bytes[0] = 0;
    geometry.kz_CommonCutNestData.qxc_AllowCluster = QXLoadMachines;
    return (int)(sizeof geometry + sizeof record + (size_t)CheckFormatID(QX_FORMAT_ID_1) +
                 (size_t)geometry.kz_CommonCutNestData.qxc_AllowCluster);
}
