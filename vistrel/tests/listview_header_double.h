// A concrete header column for the list-view tests: its view rectangle is its place in
// the header band, which is all the column grids of the report and grid views read.
#ifndef VISTREL_TESTS_LISTVIEW_HEADER_DOUBLE_H
#define VISTREL_TESTS_LISTVIEW_HEADER_DOUBLE_H

#include "listview/column_placeholders.h"
#include "listview/listview.h"
#include "listview/managers.h"

namespace vistrel::listview::test {

class TestColumn : public TLqColumn {
public:
    using TLqColumn::TLqColumn;
    ~TestColumn() override { base_destruction(); }

    bool CanChangeBold(bool) override { return true; }
    bool CanChangeCheck(bool) override { return true; }
    bool CanChangeEnable(bool) override { return true; }
    bool CanChangeFocus(bool) override { return true; }
    bool CanChangeHotTracking(bool) override { return true; }
    bool CanChangeSelection(bool) override { return true; }
    bool CanChangeVisibility(bool) override { return true; }
    TLqPaintInfoBasic* GetDefaultPaintInfo() const override { return nullptr; }
    void Freeing() override {}
    void GainingBold() override {}
    void GainingCheck() override {}
    void GainingEnable() override {}
    void GainingFocus() override {}
    void GainingGhosted() override {}
    void GainingHilight() override {}
    void GainingHotTracking(fw::TPoint) override {}
    void GainingSelection() override {}
    void GainingVisibility() override {}
    QString GetCaptions(int) const override { return QString(); }
    int GetImageIndexes(int) const override { return -1; }
    int GetImageOverlayIndexes(int) const override { return -1; }
    fw::TCustomImageList* GetImageList(int, TLqImageSize) override { return nullptr; }
    void ImageDraw(int, fw::TCanvas*, const TLqRectArrayObject&, TLqAlphaBlender*) override {}
    void ImageDrawGetSize(int, int&, int&) override {}
    void ImageDrawIsCustom(int, bool&) override {}
    void LosingBold() override {}
    void LosingGhosted() override {}
    void LosingHotTracking() override {}
    void ThumbnailDraw(fw::TCanvas*, const fw::TRect&, TLqAlphaBlender*, bool&) override {}
    void Initialize() override {}
    void LosingCheck() override {}
    void LosingEnable() override {}
    void LosingFocus() override {}
    void LosingHilight() override {}
    void LosingSelection() override {}
    void LosingVisibility() override {}
    void SetCaptions(int, const QString&) override {}
    void SetDetailCount(int) override {}
    void SetDetails(int, int) override {}
    void SetImageIndexes(int, int) override {}
    void SetImageOverlayIndexes(int, int) override {}
    bool EditAreaHitPt(fw::TPoint) override { return false; }
    bool SelectionHit(const fw::TRect&, TLqSelectHitType) override { return false; }
    bool SelectionHitPt(fw::TPoint, TLqSelectHitType) override { return false; }
};

// Gives the control's header columns of these widths, laid out from x 0 to the right;
// the header frees them with the control.
inline void AddHeaderColumns(TCustomLqListview* listview, std::initializer_list<int> widths)
{
    TLqCollection* columns = listview->Header()->Columns();
    int left = 0;
    for (const int width : widths) {
        auto* column = new TestColumn(columns);
        column->SetRawIndex(columns->Count());
        column->SetViewRect(fw::TRect{left, 0, left + width, listview->Header()->Height()});
        columns->List().Add(column);
        left += width;
    }
}

}

#endif
