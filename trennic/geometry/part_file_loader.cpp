// Loading a part file into a geometry record.
//
// The file is read whole and checked first (geometry/part_file.h); then what the load
// makes of it is built aside (material name, common-cut parameters, base layer,
// machine table) or added to the drawing under a transaction, and handed to the record
// only when everything succeeded. A failed load leaves the record as it was.

#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "geometry/drawing_transaction.h"
#include "geometry/memory_handle.h"
#include "geometry/part_file.h"
#include "halvern/extents.h"
#include "halvern/tables.h"
#include "library/make_error.h"
#include "machines/machine_table.h"
#include "machines/text_lines.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/owners.h"
#include "osmark/strings.h"
#include "trennic/geometry.h"

namespace trennic {

namespace {

constexpr int32_t kFirstReadStep = 0x10000;
constexpr const char* kPartLayer = "0";

// Item types that the part's extents take in: LINE, ARC and POLYLINE.
constexpr bool is_measured_type(int32_t type)
{
    return type == DXFItemLine || type == DXFItemArc || type == DXFItemPolyline;
}

// The handle's bytes from its position to the end of the file.
std::vector<uint8_t> read_to_end(FileHandle* handle)
{
    std::vector<uint8_t> bytes;
    int32_t step = kFirstReadStep;
    for (;;) {
        const size_t filled = bytes.size();
        bytes.resize(filled + static_cast<size_t>(step));
        const int32_t done = Read(handle, bytes.data() + filled, step);
        bytes.resize(filled + static_cast<size_t>(done > 0 ? done : 0));
        if (done < step)
            return bytes;
        if (step < (1 << 24))
            step *= 2;
    }
}

// What a load gives the record besides its drawing, built aside.
struct StagedPart {
    osmark::StringOwner material_name;
    QXCommonCutNestDataRec common_cut{};
    QXLayerRec base_layer{};
    MachineTable machines;
};

// Only layer "0" stays visible, and the extents cover its lines, arcs and polylines
// (also when the caller had hidden one of those types: every type ends visible).
void finish_drawing(DXFDrawingRec& drawing)
{
    LayerTableRec& layers = drawing.dxf_LayerTable;
    for (int32_t i = 1; i < layers.lt_N; ++i) {
        LayerDataRec* layer = layers.lt_Layers[i];
        if (StriCmp(layer->ld_Name, kPartLayer) == 0)
            layer->ld_Flags &= ~uint32_t{DXFLayerOff};
        else
            layer->ld_Flags |= DXFLayerOff;
    }
    for (int32_t type = 0; type < DXF_ITEM_TYPE_SLOTS; ++type) {
        if (is_measured_type(type))
            drawing.dxf_ItemFlags[type] &= ~DXF_ITEM_TYPE_HIDDEN;
        else
            drawing.dxf_ItemFlags[type] |= DXF_ITEM_TYPE_HIDDEN;
    }
    CalcDXFDrawingSize(&drawing);
    for (uint32_t& type_flags : drawing.dxf_ItemFlags)
        type_flags &= ~DXF_ITEM_TYPE_HIDDEN;
}

void commit(QXGeometryRec& geometry, const PartFile& file, StagedPart& staged, uint32_t flags)
{
    geometry.kz_Version = file.version.major;
    geometry.kz_Revision = file.version.minor;
    geometry.kz_MaintRev = file.version.maintenance;
    FreeStr(geometry.kz_MaterialName);
    geometry.kz_MaterialName = staged.material_name.release();
    const QXMaterialHeaderRec& material = file.material; // all 0 without the header
    geometry.kz_MaterialThickness = material.thickness;
    geometry.kz_Clearance = material.clearance;
    geometry.kz_Rotations = static_cast<int32_t>(material.options & 0xF);
    geometry.kz_UseRAS = static_cast<int32_t>(material.options >> 4 & 0x1);
    geometry.kz_Clusters = static_cast<int32_t>(material.options >> 5 & 0x7);
    geometry.kz_FindBestAngle = static_cast<int32_t>(material.options >> 8 & 0x1);
    geometry.kz_RotationAngleTolerance = material.rotation_angle_tolerance;
    geometry.kz_CommonCutNestData = staged.common_cut;
    if ((flags & QXLoadMachines) != 0)
        geometry.kz_BaseLayer = staged.base_layer;
    free_machine_table(geometry.kz_Machines, geometry.kz_NumMachines);
    geometry.kz_Machines = staged.machines.release(geometry.kz_NumMachines);
}

int32_t load(std::span<const uint8_t> image, QXGeometryRec& geometry, uint32_t flags)
{
    PartFile file;
    if (const int32_t result = read_part_file(image, file); result != 0)
        return result;

    StagedPart staged;
    if (file.has_material) {
        staged.material_name.reset(AllocStr(0, file.material.name));
        if (staged.material_name == nullptr)
            return make_error(IoErrNoMemory);
    }
    InitCommonCutNestData(&staged.common_cut);
    // Without the machines flag the text lines still fill and add machines: they work
    // on a copy of the record's table.
    const bool build_machines = (flags & QXLoadMachines) != 0;
    const bool table_ok =
        build_machines ? staged.machines.build(file.layer_definitions)
                       : staged.machines.copy_from(geometry.kz_Machines, geometry.kz_NumMachines);
    if (!table_ok)
        return make_error(IoErrNoMemory);

    DXFDrawingRec& drawing = geometry.kz_Drawing;
    const bool build_drawing = (flags & QXLoadDrawing) != 0;
    DrawingTransaction transaction(drawing);
    if (build_drawing) {
        if (const int32_t result = transaction.make_pool(); result != 0)
            return result;
    }
    const ToolingTarget tooling{staged.machines.machines(), staged.machines.count(),
                                &staged.base_layer};
    const ToolingTarget* marks = build_machines ? &tooling : nullptr;
    const ElementLayout layout = file.element_layout();
    int32_t result =
        apply_block_section(drawing, file.block_elements, layout, build_drawing, marks);
    if (result == 0)
        result = apply_element_section(drawing, file.part_elements, layout, build_drawing, marks);
    if (result == 0)
        result = apply_text_lines(file.text, staged.machines, staged.common_cut);
    if (result != 0)
        return result;

    if (build_drawing)
        finish_drawing(drawing);
    transaction.commit();
    commit(geometry, file, staged, flags);
    return 0;
}

}

}

extern "C" {

TRENNIC_API int32_t QX_LoadGeometryInfoFP(FileHandle* handle, QXGeometryRec* geometry,
                                          uint32_t flags) noexcept
{
    if (handle == nullptr || geometry == nullptr)
        return trennic::make_error(IoErrRequiredArgMissing);
    try {
        const std::vector<uint8_t> image = trennic::read_to_end(handle);
        return trennic::load(image, *geometry, flags);
    } catch (const std::bad_alloc&) {
        return trennic::make_error(IoErrNoMemory);
    } catch (...) {
        return trennic::make_error(IoErrNoMemory);
    }
}

TRENNIC_API int32_t QX_LoadGeometryFP(FileHandle* handle, QXGeometryRec* geometry) noexcept
{
    return QX_LoadGeometryInfoFP(handle, geometry, QXLoadDrawing);
}

TRENNIC_API int32_t QX_LoadGeometryInfo(const char* name, QXGeometryRec* geometry,
                                        uint32_t flags) noexcept
{
    if (name == nullptr || geometry == nullptr)
        return trennic::make_error(IoErrRequiredArgMissing);
    FileHandle* handle = Open(name, FileModeRead);
    if (handle == nullptr)
        return trennic::make_error(IoErrObjectNotFound);
    const int32_t result = QX_LoadGeometryInfoFP(handle, geometry, flags);
    Close(handle);
    return result;
}

TRENNIC_API int32_t QX_LoadGeometry(const char* name, QXGeometryRec* geometry) noexcept
{
    return QX_LoadGeometryInfo(name, geometry, QXLoadDrawing);
}

TRENNIC_API int32_t QX_LoadGeometryInfoMem(const void* buffer, uint32_t size,
                                           QXGeometryRec* geometry, uint32_t flags) noexcept
{
    if (buffer == nullptr)
        return size == 0 ? 0 : trennic::make_error(IoErrRequiredArgMissing);
    if (geometry == nullptr)
        return trennic::make_error(IoErrRequiredArgMissing);
    if (size > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        return trennic::make_error(IoErrBadIO);
    FileHandle handle;
    trennic::make_memory_handle(handle, buffer, static_cast<int32_t>(size));
    const int32_t result = QX_LoadGeometryInfoFP(&handle, geometry, flags);
    Close(&handle);
    return result;
}

TRENNIC_API int32_t QX_LoadGeometryMem(const void* buffer, uint32_t size,
                                       QXGeometryRec* geometry) noexcept
{
    return QX_LoadGeometryInfoMem(buffer, size, geometry, QXLoadDrawing);
}
}
