// The geometry record: set-up, release and the format check of the maker's files.

#include <cstring>
#include <type_traits>

#include "halvern/drawing.h"
#include "machines/machine_table.h"
#include "osmark/memory.h"
#include "trennic/geometry.h"

static_assert(std::is_standard_layout_v<QXGeometryRec> &&
              std::is_trivially_copyable_v<QXGeometryRec>);
static_assert(std::is_standard_layout_v<QXMachineRec> &&
              std::is_trivially_copyable_v<QXMachineRec>);
static_assert(std::is_standard_layout_v<QXCommonCutNestDataRec> &&
              std::is_trivially_copyable_v<QXCommonCutNestDataRec>);
static_assert(std::is_standard_layout_v<QXLayerRec> && std::is_trivially_copyable_v<QXLayerRec>);

extern "C" {

TRENNIC_API QXGeometryRec* QX_NewGeometry(QXGeometryRec* geometry) noexcept
{
    if (geometry == nullptr)
        return nullptr;
    std::memset(static_cast<void*>(geometry), 0, sizeof *geometry);
    NewDXFDrawing(&geometry->kz_Drawing);
    return geometry;
}

TRENNIC_API void QX_FreeGeometry(QXGeometryRec* geometry) noexcept
{
    if (geometry == nullptr)
        return;
    FreeStr(geometry->kz_MaterialName);
    trennic::free_machine_table(geometry->kz_Machines, geometry->kz_NumMachines);
    FreeDXFDrawing(&geometry->kz_Drawing);
    QX_NewGeometry(geometry);
}

TRENNIC_API int32_t CheckFormatID(uint32_t id) noexcept
{
    switch (id) {
    case QX_FORMAT_ID_1:
    case QX_FORMAT_ID_2:
    case QX_FORMAT_ID_3:
    case QX_FORMAT_ID_4:
        return 0;
    default:
        return (id >> 16) == 0x55AA ? 2 : 1;
    }
}
}
