#include "units/vector_object.h"

#include "units/bitmap_utils.h"
#include "units/shell_utils.h"
#include "units/string_utils.h"
#include "xml/xml_document.h"

#include "framework/graphics.h"
#include "framework/sysutils.h"

#include "halvern/drawing.h"
#include "halvern/dxf_reader.h"
#include "halvern/extents.h"
#include "halvern/iges.h"
#include "halvern/transform.h"
#include "osmark/strings.h"
#include "trennic/geometry.h"

#include <cstring>

namespace vistrel {

namespace {

QString& converter_folder_override()
{
    static QString folder;
    return folder;
}

// The converter in the folder: its Windows name, or the same without ".EXE"; empty
// when neither is there.
QString find_converter(const QString& folder)
{
    for (const char* name : {"DWG_DXF.EXE", "DWG_DXF"}) {
        const QString path = folder + QString::fromLatin1(name);
        if (fw::FileExists(path))
            return path;
    }
    return {};
}

bool is_listed_block(const char* name)
{
    return std::strstr(name, "QX_NEST") == nullptr &&
           std::strstr(name, "QX_RMT_CREATED_SHEET") == nullptr;
}

// Grows the window at both ends of each axis by share of (extent + 1).
void grow_window(Rectangle2DRec& window, double share)
{
    const double dx = (window.max.x - window.min.x + 1) * share;
    const double dy = (window.max.y - window.min.y + 1) * share;
    window.min.x -= dx;
    window.max.x += dx;
    window.min.y -= dy;
    window.max.y += dy;
}

}

void Tqxp_VectorObject::GeometryDeleter::operator()(QXGeometryRec* geometry) const
{
    QX_FreeGeometry(geometry);
    std::default_delete<QXGeometryRec>()(geometry);
}

Tqxp_VectorObject::Tqxp_VectorObject()
    : fLayers(std::make_unique<fw::TStringList>()),
      m_geometry(std::make_unique<QXGeometryRec>().release()),
      m_block_list(std::make_unique<fw::TObjectList>(true))
{
    QX_NewGeometry(m_geometry.get());
    Clear(true);
}

Tqxp_VectorObject::~Tqxp_VectorObject() = default;

void Tqxp_VectorObject::Clear(bool ReAllocate)
{
    fXML.reset();
    fPlyList.reset();
    fBitmap.reset();
    fLayers->Clear();
    fRepositions = nullptr;
    if (m_geometry == nullptr)
        return;
    // Whatever a reader left in the record goes, also after a failed load: releasing
    // an empty record does nothing, and it stays set up.
    QX_FreeGeometry(m_geometry.get());
    if (ReAllocate)
        QX_NewGeometry(m_geometry.get());
    m_drawing = &m_geometry->kz_Drawing;
    fVectorType = vtNone;
}

void Tqxp_VectorObject::ClearGeoStruct()
{
    m_geometry.reset();
    m_drawing = nullptr;
}

bool Tqxp_VectorObject::prepare_load()
{
    Clear(false);
    if (m_geometry == nullptr)
        return false;
    QX_NewGeometry(m_geometry.get());
    return true;
}

void Tqxp_VectorObject::finish_load(TVectorTypes type, TqxUnitsType units, bool build_blocks)
{
    fVectorType = type;
    fFileUnits = units;
    m_loaded = true;
    Dxf_GetBounds();
    BuildLayerList();
    if (build_blocks)
        BuildBlockList();
}

bool Tqxp_VectorObject::Load_Component(const QString& FName)
{
    if (!prepare_load())
        return false;
    if (QX_LoadGeometry(fw::PathToUtf8(FName).c_str(), m_geometry.get()) != 0)
        return false;
    finish_load(vtComponent, qxMM, false);
    return true;
}

bool Tqxp_VectorObject::Load_Dxf(const QString& FName)
{
    if (!prepare_load())
        return false;
    if (ReadDXF(fw::PathToUtf8(FName).c_str(), m_drawing) != 0)
        return false;
    finish_load(vtDxf, qxUnitsUnknown, true);
    return true;
}

bool Tqxp_VectorObject::Load_Iges(const QString& FName)
{
    if (!prepare_load())
        return false;
    if (ReadIGES(fw::PathToUtf8(FName).c_str(), m_drawing) != 0)
        return false;
    finish_load(vtIges, qxUnitsUnknown, true);
    return true;
}

bool Tqxp_VectorObject::Load_Dwg(const QString& FName)
{
    QString folder;
    VectorTempDir(folder);
    if (folder.isEmpty()) {
        Clear(false);
        return false;
    }
    const QString converted = folder + QStringLiteral("Tmp.Dxf");
    // An old conversion that stays would be loaded as this file's.
    if (fw::FileExists(converted) && !fw::DeleteFile(converted) && fw::FileExists(converted))
        return false;
    if (!fw::FileExists(FName)) {
        Clear(false);
        return false;
    }
    const QString& override_folder = converter_folder_override();
    const QString converter = find_converter(
        override_folder.isEmpty() ? GetExeFolder()
                                  : fw::IncludeTrailingPathDelimiter(override_folder));
    if (!converter.isEmpty())
        RunProgramAndWait(converter, u'"' + FName + QStringLiteral("\" \"") + converted + u'"',
                          true);
    if (!fw::FileExists(converted))
        return false;
    return Load_Dxf(converted);
}

bool Tqxp_VectorObject::Load_Bitmap(const QString& FName)
{
    Clear(false);
    const bool is_picture =
        SameFileExt(FName, QStringLiteral(".bmp")) || SameFileExt(FName, QStringLiteral(".png")) ||
        SameFileExt(FName, QStringLiteral(".jpg")) || SameFileExt(FName, QStringLiteral(".jpeg"));
    if (!is_picture || !fw::FileExists(FName))
        return false;
    fBitmap = LoadImageFile(FName);
    if (fBitmap == nullptr)
        return false;
    fVectorType = vtBitmap;
    m_loaded = true;
    return true;
}

// ---- Measuring and editing -----------------------------------------------------------

void Tqxp_VectorObject::Dxf_GetBounds()
{
    if (m_drawing == nullptr)
        return;
    // Texts and points take no part in the extents.
    m_drawing->dxf_ItemFlags[DXFItemText] = DXF_ITEM_TYPE_HIDDEN;
    m_drawing->dxf_ItemFlags[DXFItemPoint] = DXF_ITEM_TYPE_HIDDEN;
    CalcDXFDrawingSize(m_drawing);
    const Rectangle2DRec& extents = m_drawing->dxf_DrwgSize;
    fBounds = {extents.min.x, extents.min.y, extents.max.x, extents.max.y};
    fBoundsLength = fBounds.x2 - fBounds.x1;
    fBoundsWidth = fBounds.y1 - fBounds.y2;
    if (fShowText)
        m_drawing->dxf_ItemFlags[DXFItemText] = 0;
    PadDrawing();
}

void Tqxp_VectorObject::PadDrawing()
{
    if (m_drawing != nullptr)
        grow_window(m_drawing->dxf_DrwgSize, 0.01);
}

void Tqxp_VectorObject::AdjustImageBounds(double /*Value*/)
{
    if (m_drawing == nullptr)
        return;
    m_drawing->dxf_ItemFlags[DXFItemPoint] = DXF_ITEM_TYPE_HIDDEN;
    grow_window(m_drawing->dxf_DrwgSize, 0.02);
}

void Tqxp_VectorObject::Dxf_TranslateTo(double dx, double dy)
{
    if (m_drawing == nullptr)
        return;
    const ItemBufferRec& items = m_drawing->dxf_ItemBuffer;
    for (int32_t i = 0; i < items.ib_N; ++i)
        DXFTranslate(items.ib_Items[i], dx, dy, 0);
}

void Tqxp_VectorObject::Dxf_ScaleTo(double Scale)
{
    if (m_drawing == nullptr)
        return;
    for (const ItemBufferRec* buffer :
         {&m_drawing->dxf_BlockItemBuffer, &m_drawing->dxf_ItemBuffer})
        for (int32_t i = 0; i < buffer->ib_N; ++i)
            DXFScale(buffer->ib_Items[i], Scale);
}

void Tqxp_VectorObject::Set_DxfDisplayedItems(uint32_t Item, bool Displayed)
{
    if (m_drawing == nullptr || Item < 1 || Item > 28)
        return;
    if (Displayed)
        m_drawing->dxf_ItemFlags[Item] &= ~DXF_ITEM_TYPE_HIDDEN;
    else
        m_drawing->dxf_ItemFlags[Item] |= DXF_ITEM_TYPE_HIDDEN;
}

void Tqxp_VectorObject::Set_DxfDisplayedLayer(const std::string& Layer, bool Displayed)
{
    if (m_drawing == nullptr)
        return;
    const LayerTableRec& table = m_drawing->dxf_LayerTable;
    if (table.lt_Layers == nullptr)
        return;
    // Layer 0 is the unnamed default entry: it is never switched.
    for (int32_t i = 1; i < table.lt_N; ++i) {
        LayerDataRec* layer = table.lt_Layers[i];
        if (layer == nullptr || layer->ld_Name == nullptr ||
            StriCmp(layer->ld_Name, Layer.c_str()) != 0)
            continue;
        if (Displayed)
            layer->ld_Flags &= ~static_cast<uint32_t>(DXFLayerOff);
        else
            layer->ld_Flags |= DXFLayerOff;
    }
}

void Tqxp_VectorObject::Set_CustomDrawingColors()
{
    if (m_drawing != nullptr)
        m_drawing->dxf_Flags |= DXFDrawMonochrome;
}

void Tqxp_VectorObject::Set_FileName(const QString& FName)
{
    m_file_name = fw::ExtractFileName(FName);
}

void Tqxp_VectorObject::VectorTempDir(QString& Result)
{
    Result = GetAppDataFolder(QStringLiteral("Tarvek CAD Viewer"));
    if (!fw::DirectoryExists(Result))
        fw::ForceDirectories(Result);
    if (!fw::DirectoryExists(Result))
        Result.clear();
}

void Tqxp_VectorObject::BuildLayerList()
{
    fLayers->Clear();
    if (m_drawing == nullptr)
        return;
    const LayerTableRec& table = m_drawing->dxf_LayerTable;
    if (table.lt_Layers == nullptr || table.lt_N < 2)
        return;
    // Every named layer is listed and switched on, also those the file marks off.
    for (int32_t i = 1; i < table.lt_N; ++i) {
        const LayerDataRec* layer = table.lt_Layers[i];
        const std::string name =
            layer != nullptr && layer->ld_Name != nullptr ? layer->ld_Name : std::string();
        fLayers->Add(QString::fromStdString(name));
        Set_DxfDisplayedLayer(name, true);
    }
}

void Tqxp_VectorObject::BuildBlockList()
{
    if (m_drawing == nullptr)
        return;
    m_block_list->Clear();
    const BlockIdentifierBufferRec& blocks = m_drawing->dxf_BlockIdentifierBuffer;
    if (blocks.bib_Blocks == nullptr)
        return;
    for (int32_t i = 0; i < blocks.bib_N; ++i) {
        const BlockIdentifierRec* block = blocks.bib_Blocks[i];
        if (block == nullptr || block->bi_Name == nullptr || !is_listed_block(block->bi_Name))
            continue;
        auto entry = std::make_unique<TDxfBlock>();
        entry->Name = block->bi_Name;
        m_block_list->Add(entry.release());
    }
}

// ---- Properties ----------------------------------------------------------------------

double Tqxp_VectorObject::GetWidth() const
{
    return std::abs(fBounds.x2 - fBounds.x1);
}

double Tqxp_VectorObject::GetHeight() const
{
    return std::abs(fBounds.y2 - fBounds.y1);
}

int Tqxp_VectorObject::GetNumLayers() const
{
    return fLayers->Count();
}

void Tqxp_VectorObject::SetShowText(bool show)
{
    fShowText = show;
}

void Tqxp_VectorObject::SetZeroAxis(bool zero_axis)
{
    fZeroAxis = zero_axis;
}

namespace test {

void SetConverterFolder(const QString& folder)
{
    converter_folder_override() = folder;
}

}

}
