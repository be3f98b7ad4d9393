// The viewer's drawing object: one drawing loaded from a part file, a DXF, IGES or DWG
// file (or an image), measured and padded, with the names of its layers and blocks; it
// draws itself into a canvas with its overlays (point marks, zero axes, reposition marks
// and the two ruler bands) and renders small monochrome thumbnails.
//
// The object owns a geometry record (QXGeometryRec) and works on the drawing record
// embedded in it, which serves every kind of file. Each load clears the object first,
// so it holds at most one drawing. Drawing units are the file's own; fBounds holds the
// extents found at loading, the drawing window (dxf_DrwgSize) those extents padded.
// Rectangles of canvases are in pixels, right and bottom exclusive.
#ifndef VISTREL_UNITS_VECTOR_OBJECT_H
#define VISTREL_UNITS_VECTOR_OBJECT_H

#include "units/units_display_manager.h"

#include "framework/classes.h"
#include "framework/types.h"

#include <QtCore/QString>

#include <cstdint>
#include <memory>
#include <string>

struct DXFDrawingRec;
struct QXGeometryRec;

namespace fw {
class TBitmap;
class TCanvas;
class TStringList;
}

namespace vistrel {

class TXmlDocument;
class TXmlNode;

enum TVectorTypes : uint8_t {
    vtNone,
    vtDxf,
    vtIges,
    vtComponent,
    vtNestDxf,
    vtSymbol,
    vtCatXml,
    vtBitmap
};

struct TFloatRect {
    double x1 = 0;
    double y1 = 0;
    double x2 = 0;
    double y2 = 0;
};

// A block name of the drawing.
class TDxfBlock : public fw::TObject {
public:
    std::string Name;
};

// The record that the owner of a Repositions list provides for each entry: the drawing
// object reads only X, the entry's position in drawing units.
struct TRepositionRec {
    int32_t Reserved1;
    int32_t Reserved2;
    double X;
};

class Tqxp_VectorObject : public fw::TObject {
public:
    Tqxp_VectorObject();
    ~Tqxp_VectorObject() override;
    Tqxp_VectorObject(const Tqxp_VectorObject&) = delete;
    Tqxp_VectorObject& operator=(const Tqxp_VectorObject&) = delete;

    // ---- Life and state.
    // Frees the document, the ply list and the bitmap, empties the layer list, forgets
    // the reposition list, releases what the drawing holds (leaving it set up, empty;
    // with ReAllocate set up once more) and sets the type back to vtNone. The block
    // list stays.
    void Clear(bool ReAllocate);
    // Releases the geometry record with everything it holds; afterwards the object has
    // no drawing: loads and draws answer false.
    void ClearGeoStruct();
    bool HasDrawing() const { return m_drawing != nullptr; }

    // ---- Loading: true on success. A failed load returns false and keeps what the
    // reader left in the record until the next load or Clear releases it.
    bool Load_Component(const QString& FName);
    bool Load_Dxf(const QString& FName);
    bool Load_Iges(const QString& FName);
    // Converts the file with the converter "DWG_DXF.EXE" (or "DWG_DXF") of the
    // program's folder into "Tmp.Dxf" in the viewer's data folder and loads that. A
    // conversion that leaves no new file (no converter, a failed conversion, an old
    // "Tmp.Dxf" that cannot be removed) answers false and keeps the drawing loaded
    // before; a missing data folder or a missing file clears the object.
    bool Load_Dwg(const QString& FName);
    // A ".bmp", ".png", ".jpg" or ".jpeg" picture.
    bool Load_Bitmap(const QString& FName);

    // ---- Measuring and editing.
    // The extents of the drawing without points and texts into fBounds, then PadDrawing.
    void Dxf_GetBounds();
    // Grows the drawing window at both ends of each axis by 1/100 of (extent + 1).
    void PadDrawing();
    // Hides points and grows the drawing window at both ends of each axis by 2/100 of
    // (extent + 1); Value is not used.
    void AdjustImageBounds(double Value);
    // Moves every top-level item; block definitions stay, so insertions move with their
    // placement. fBounds and the drawing window stay.
    void Dxf_TranslateTo(double dx, double dy);
    // Scales every block item and every top-level item by Scale.
    void Dxf_ScaleTo(double Scale);
    // Shows or hides an item type from 1 to 28; other values do nothing.
    void Set_DxfDisplayedItems(uint32_t Item, bool Displayed);
    // Switches every named layer called Layer (without regard to case) on or off.
    void Set_DxfDisplayedLayer(const std::string& Layer, bool Displayed);
    // Every item in the pen colour of the device context, highlighted items excepted.
    void Set_CustomDrawingColors();
    void Set_FileName(const QString& FName);
    // The viewer's data folder (made when missing), with a trailing delimiter; empty
    // when it cannot be had.
    static void VectorTempDir(QString& Result);

    void BuildLayerList();
    void BuildBlockList();

    // ---- Drawing.
    // The drawing fitted into ARect with tooling blocks (when Tooling), a nest sheet
    // frame, the overlays and the rulers (when Rulers). False without a canvas or a
    // drawing (or a picture object without its picture).
    bool Draw_To(fw::TCanvas* Canvas, const fw::TRect& ARect);
    // Draw_To on the bitmap's canvas; false for nullptr or when drawing fails.
    bool Draw_To(fw::TBitmap* Bitmap);
    // ARect filled with bk, the drawing in fg without texts, points and the layers
    // "Construction".
    bool Draw_ToThumbnail(fw::TCanvas* Canvas, const fw::TRect& ARect, fw::TColor fg,
                          fw::TColor bk);
    void Draw_Points(fw::TCanvas* Canvas, const fw::TRect& ARect);
    void Draw_ZeroAxis(fw::TCanvas* Canvas, const fw::TRect& ARect);
    void Draw_Repositions(fw::TCanvas* Canvas, const fw::TRect& ARect);
    void Draw_Ruler(fw::TCanvas* Canvas, const fw::TRect& ARect);
    void Draw_Bitmap_To(fw::TCanvas* Canvas, const fw::TRect& ARect);

    // ---- Properties.
    const TFloatRect& Bounds() const { return fBounds; }
    int32_t CurrentPly() const { return fCurrentPly; }
    bool EnablePick() const { return fEnablePick; }
    void SetEnablePick(bool enable) { fEnablePick = enable; }
    TqxUnitsType FileUnits() const { return fFileUnits; }
    double Height() const { return GetHeight(); }
    double Width() const { return GetWidth(); }
    int NumLayers() const { return GetNumLayers(); }
    fw::TNotifyEvent OnAfterRender;
    fw::TObjectList* PlyList() const { return fPlyList.get(); }
    // Not owned; Clear forgets it.
    fw::TList* Repositions() const { return fRepositions; }
    void SetRepositions(fw::TList* list) { fRepositions = list; }
    bool Rulers() const { return fRulers; }
    void SetRulers(bool rulers) { fRulers = rulers; }
    bool ShowText() const { return GetShowText(); }
    void SetShowText(bool show);
    bool Tooling() const { return fTooling; }
    void SetTooling(bool tooling) { fTooling = tooling; }
    TVectorTypes VectorType() const { return fVectorType; }
    bool ZeroAxis() const { return fZeroAxis; }
    void SetZeroAxis(bool zero_axis);
    const fw::TStringList* Layers() const { return fLayers.get(); }
    TXmlDocument* XML() const { return fXML.get(); }

    double GetWidth() const;
    double GetHeight() const;
    int GetNumLayers() const;
    bool GetShowText() const { return fShowText; }

    const QString& FileName() const { return m_file_name; }
    QXGeometryRec* GeoStruct() const { return m_geometry.get(); }
    // The drawing record inside GeoStruct; nullptr after ClearGeoStruct.
    DXFDrawingRec* pInternal() const { return m_drawing; }
    bool Loaded() const { return m_loaded; }
    fw::TObjectList* BlockList() const { return m_block_list.get(); }

private:
    struct GeometryDeleter {
        void operator()(QXGeometryRec* geometry) const;
    };

    // Clear(false) and a fresh drawing record; false without a geometry record.
    bool prepare_load();
    // What every successful load of a drawing file does.
    void finish_load(TVectorTypes type, TqxUnitsType units, bool build_blocks);

    TVectorTypes fVectorType = vtNone;
    std::unique_ptr<fw::TBitmap> fBitmap;
    TqxUnitsType fFileUnits = qxUnitsUnknown;
    TFloatRect fBounds;
    double fBoundsWidth = 0;  // y1 - y2 of fBounds
    double fBoundsLength = 0; // x2 - x1 of fBounds
    bool fShowText = true;
    bool fZeroAxis = false;
    bool fEnablePick = false;
    std::unique_ptr<TXmlDocument> fXML;
    TXmlNode* fXML_Root = nullptr;
    std::unique_ptr<fw::TObjectList> fPlyList;
    int32_t fCurrentPly = 0;
    std::unique_ptr<fw::TStringList> fLayers;
    fw::TList* fRepositions = nullptr;
    bool fRulers = true;
    bool fTooling = false;
    QString m_file_name;
    std::unique_ptr<QXGeometryRec, GeometryDeleter> m_geometry;
    DXFDrawingRec* m_drawing = nullptr;
    bool m_loaded = false;
    std::unique_ptr<fw::TObjectList> m_block_list;
};

namespace test {
// The folder in which Load_Dwg looks for the converter instead of the program's own;
// empty: the program's folder again.
void SetConverterFolder(const QString& folder);
}

}

#endif
