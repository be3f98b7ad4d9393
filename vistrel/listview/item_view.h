// Item views: where the parts of one item lie in its cell (selection background,
// image or thumbnail, caption, focus frame, check box, frame) and how the item is
// painted and hit. TLqViewItem is the base; each view style has its own class. A view
// keeps no state of its own and serves every item of its class; an item makes its view
// through the class record its control names (TLqItem::View).
#ifndef VISTREL_LISTVIEW_ITEM_VIEW_H
#define VISTREL_LISTVIEW_ITEM_VIEW_H

#include "framework/controls.h"
#include "framework/graphics.h"
#include "listview/common/common_types.h"
#include "listview/events.h"
#include "listview/persistent.h"
#include "listview/rect_array.h"

#include <QtCore/QString>

namespace fw {
class TCustomImageList;
}

namespace vistrel::listview {

// The class record of an item view: its name, its parent class and how to make one for
// an item's group. Applications name their own records in OnItemCustomView.
struct TLqViewItemClassInfo {
    const char* Name;
    TLqViewItemClass Parent;
    TLqViewItem* (*Create)(TLqGroup* owner_group);
};

// Whether cls is base or derives from it.
bool LqViewItemClassInheritsFrom(TLqViewItemClass cls, TLqViewItemClass base);
// The item view of a view style.
TLqViewItemClass LqDefaultItemViewClass(TLqListStyle style);

class TLqViewItem : public TLqOwnedPersistentGroupItem {
public:
    explicit TLqViewItem(TLqGroup* owner_group) : TLqOwnedPersistentGroupItem(owner_group) {}

    static TLqViewItemClass ClassInfo();
    virtual TLqViewItemClass ClassType() const { return ClassInfo(); }

    // The check-box painter of the view base, next to the item's own step below.
    using TLqOwnedPersistentGroupItem::PaintCheckBox;

    virtual bool AllowDrag(TLqItem* item, fw::TPoint viewport_point);
    // Whether a state image is drawn and room kept for it.
    virtual bool PaintStateImage();
    virtual void AfterFocusRectCalc(TLqItem* item, TLqColumn* column, const QString& caption,
                                    fw::TRect& local_focus_rect);
    virtual void AfterSelRectCalc(TLqItem* item, TLqColumn* column, const QString& caption,
                                  fw::TRect& local_sel_rect);
    virtual TLqInsertMarkerDir DropMarkerDir();
    virtual bool EditAreaHitPt(TLqItem* item, fw::TPoint viewport_point);
    virtual fw::TRect ExpandIconR(TLqItem* item, const TLqRectArrayObject& rects,
                                  TLqSelectHitType select_type);
    virtual fw::TRect ExpandTextR(TLqItem* item, const TLqRectArrayObject& rects,
                                  TLqSelectHitType select_type);
    virtual bool FullRowSelect();
    virtual fw::TCustomImageList* GetImageList(TLqColumn* column, TLqItem* item,
                                               TLqImageKind image);
    virtual void GetImageSize(TLqItem* item, TLqColumn* column, int& image_w, int& image_h,
                              TLqImageKind image);
    virtual fw::TCustomImageList* GetStateImageList(TLqColumn* column, TLqItem* item);
    virtual fw::TRect ItemRect(TLqItem* item, TLqColumn* column, TLqCellRectType rect_type);
    virtual void ItemRectArray(TLqItem* item, TLqColumn* column, fw::TCanvas* canvas,
                               const QString& caption, TLqRectArrayObject& rects);
    virtual void LoadTextFont(TLqItem* item, int position, fw::TCanvas* canvas, bool hilightable);
    virtual bool OverlappedFocus();
    virtual void Paint(TLqItem* item, TLqColumn* column, fw::TCanvas* canvas,
                       const fw::TRect& viewport_clip_rect, bool force_selection_rect_draw);
    virtual void PaintAfter(TLqItem* item, TLqColumn* column, const QString& caption,
                            fw::TCanvas* canvas, const TLqRectArrayObject& rects);
    virtual void PaintBefore(TLqItem* item, TLqColumn* column, const QString& caption,
                             fw::TCanvas* canvas, const TLqRectArrayObject& rects, bool& handled);
    virtual void PaintCheckBox(TLqItem* item, TLqColumn* column, const TLqRectArrayObject& rects,
                               fw::TCanvas* canvas);
    virtual void PaintFocusRect(TLqItem* item, TLqColumn* column, const QString& caption,
                                const TLqRectArrayObject& rects, fw::TCanvas* canvas);
    virtual void PaintImage(TLqItem* item, TLqColumn* column, const QString& caption,
                            const TLqRectArrayObject& rects, TLqImageSize image_size,
                            fw::TCanvas* canvas);
    virtual TLqImageSize PaintImageSize();
    virtual void PaintSelectionRect(TLqItem* item, TLqColumn* column, const QString& caption,
                                    const TLqRectArrayObject& rects, fw::TCanvas* canvas,
                                    const fw::TRect& viewport_clip_rect,
                                    bool force_selection_rect_draw);
    virtual void PaintText(TLqItem* item, TLqColumn* column, const QString& caption,
                           const TLqRectArrayObject& rects, fw::TCanvas* canvas, int lines_to_draw);
    virtual fw::TAlignment PaintTextAlignment(TLqItem* item, TLqColumn* column);
    // -1: no limit.
    virtual int PaintTextLineCount(TLqItem* item, TLqColumn* column);
    virtual TLqCommonVAlignment PaintTextVAlignment(TLqItem* item, TLqColumn* column);
    // For ordered searching: 1 above or left of the item's cell, -1 below or right of it,
    // 0 inside (edges included).
    virtual int PtInRect(TLqItem* item, TLqColumn* column, fw::TPoint pt);
    // One record per positioned column of the header, at least one.
    virtual void ReSizeRectArray(TLqRectArrayObjectArray& rect_array);
    virtual bool SelectionHit(TLqItem* item, const fw::TRect& select_viewport_rect,
                              TLqSelectHitType select_type);
    virtual bool SelectionHitPt(TLqItem* item, fw::TPoint viewport_point,
                                TLqSelectHitType select_type);

    // Measures caption 0 into text_r (canvas nullptr: a canvas of the control's own).
    void CalculateTextRect(TLqItem* item, TLqColumn* column, fw::TRect& text_r,
                           fw::TCanvas* canvas);
    // Narrows the clip to the bounds when the image reaches outside them; rgn keeps the
    // clip to restore (0: none was set).
    void TestAndClipImage(fw::TCanvas* canvas, const TLqRectArrayObject& rects, HRGN& rgn);
    void TestAndUnClipImage(fw::TCanvas* canvas, const TLqRectArrayObject& rects, HRGN rgn);
};

class TLqViewIconItem : public TLqViewItem {
public:
    using TLqViewItem::TLqViewItem;
    static TLqViewItemClass ClassInfo();
    TLqViewItemClass ClassType() const override { return ClassInfo(); }

    void AfterFocusRectCalc(TLqItem* item, TLqColumn* column, const QString& caption,
                            fw::TRect& local_focus_rect) override;
    void AfterSelRectCalc(TLqItem* item, TLqColumn* column, const QString& caption,
                          fw::TRect& local_sel_rect) override;
    TLqInsertMarkerDir DropMarkerDir() override;
    fw::TRect ExpandIconR(TLqItem* item, const TLqRectArrayObject& rects,
                          TLqSelectHitType select_type) override;
    void ItemRectArray(TLqItem* item, TLqColumn* column, fw::TCanvas* canvas,
                       const QString& caption, TLqRectArrayObject& rects) override;
    bool OverlappedFocus() override;
    void PaintBefore(TLqItem* item, TLqColumn* column, const QString& caption, fw::TCanvas* canvas,
                     const TLqRectArrayObject& rects, bool& handled) override;
    TLqImageSize PaintImageSize() override;
    int PaintTextLineCount(TLqItem* item, TLqColumn* column) override;
};

class TLqViewSmallIconItem : public TLqViewItem {
public:
    using TLqViewItem::TLqViewItem;
    static TLqViewItemClass ClassInfo();
    TLqViewItemClass ClassType() const override { return ClassInfo(); }

    // The rectangle the item takes for a column.
    virtual fw::TRect CalculateDisplayRect(TLqItem* item, TLqColumn* column);

    fw::TRect ExpandIconR(TLqItem* item, const TLqRectArrayObject& rects,
                          TLqSelectHitType select_type) override;
    fw::TRect ExpandTextR(TLqItem* item, const TLqRectArrayObject& rects,
                          TLqSelectHitType select_type) override;
    void ItemRectArray(TLqItem* item, TLqColumn* column, fw::TCanvas* canvas,
                       const QString& caption, TLqRectArrayObject& rects) override;
    void PaintBefore(TLqItem* item, TLqColumn* column, const QString& caption, fw::TCanvas* canvas,
                     const TLqRectArrayObject& rects, bool& handled) override;
    fw::TAlignment PaintTextAlignment(TLqItem* item, TLqColumn* column) override;
    int PaintTextLineCount(TLqItem* item, TLqColumn* column) override;
    TLqCommonVAlignment PaintTextVAlignment(TLqItem* item, TLqColumn* column) override;
};

class TLqViewListItem : public TLqViewSmallIconItem {
public:
    using TLqViewSmallIconItem::TLqViewSmallIconItem;
    static TLqViewItemClass ClassInfo();
    TLqViewItemClass ClassType() const override { return ClassInfo(); }
};

class TLqViewReportItem : public TLqViewSmallIconItem {
public:
    using TLqViewSmallIconItem::TLqViewSmallIconItem;
    static TLqViewItemClass ClassInfo();
    TLqViewItemClass ClassType() const override { return ClassInfo(); }

    bool AllowDrag(TLqItem* item, fw::TPoint viewport_point) override;
    fw::TRect CalculateDisplayRect(TLqItem* item, TLqColumn* column) override;
    fw::TRect ExpandTextR(TLqItem* item, const TLqRectArrayObject& rects,
                          TLqSelectHitType select_type) override;
    bool FullRowSelect() override;
    bool PaintStateImage() override;
    bool SelectionHit(TLqItem* item, const fw::TRect& select_viewport_rect,
                      TLqSelectHitType select_type) override;
    bool SelectionHitPt(TLqItem* item, fw::TPoint viewport_point,
                        TLqSelectHitType select_type) override;
};

class TLqViewGridItem : public TLqViewSmallIconItem {
public:
    using TLqViewSmallIconItem::TLqViewSmallIconItem;
    static TLqViewItemClass ClassInfo();
    TLqViewItemClass ClassType() const override { return ClassInfo(); }
};

class TLqViewThumbnailItem : public TLqViewItem {
public:
    using TLqViewItem::TLqViewItem;
    static TLqViewItemClass ClassInfo();
    TLqViewItemClass ClassType() const override { return ClassInfo(); }

    void AfterFocusRectCalc(TLqItem* item, TLqColumn* column, const QString& caption,
                            fw::TRect& local_focus_rect) override;
    void AfterSelRectCalc(TLqItem* item, TLqColumn* column, const QString& caption,
                          fw::TRect& local_sel_rect) override;
    TLqInsertMarkerDir DropMarkerDir() override;
    fw::TRect ExpandTextR(TLqItem* item, const TLqRectArrayObject& rects,
                          TLqSelectHitType select_type) override;
    fw::TCustomImageList* GetImageList(TLqColumn* column, TLqItem* item,
                                       TLqImageKind image) override;
    void ItemRectArray(TLqItem* item, TLqColumn* column, fw::TCanvas* canvas,
                       const QString& caption, TLqRectArrayObject& rects) override;
    bool OverlappedFocus() override;
    void PaintAfter(TLqItem* item, TLqColumn* column, const QString& caption, fw::TCanvas* canvas,
                    const TLqRectArrayObject& rects) override;
    void PaintBefore(TLqItem* item, TLqColumn* column, const QString& caption, fw::TCanvas* canvas,
                     const TLqRectArrayObject& rects, bool& handled) override;
    TLqImageSize PaintImageSize() override;
    int PaintTextLineCount(TLqItem* item, TLqColumn* column) override;
    TLqCommonVAlignment PaintTextVAlignment(TLqItem* item, TLqColumn* column) override;
    bool SelectionHit(TLqItem* item, const fw::TRect& select_viewport_rect,
                      TLqSelectHitType select_type) override;
    bool SelectionHitPt(TLqItem* item, fw::TPoint viewport_point,
                        TLqSelectHitType select_type) override;
};

// The viewer's film strip shows its drawings in this view: the thumbnail view as it is.
class TLqViewFilmStripItem : public TLqViewThumbnailItem {
public:
    using TLqViewThumbnailItem::TLqViewThumbnailItem;
    static TLqViewItemClass ClassInfo();
    TLqViewItemClass ClassType() const override { return ClassInfo(); }
};

class TLqViewTileItem : public TLqViewItem {
public:
    using TLqViewItem::TLqViewItem;
    static TLqViewItemClass ClassInfo();
    TLqViewItemClass ClassType() const override { return ClassInfo(); }

    void AfterFocusRectCalc(TLqItem* item, TLqColumn* column, const QString& caption,
                            fw::TRect& local_focus_rect) override;
    void AfterSelRectCalc(TLqItem* item, TLqColumn* column, const QString& caption,
                          fw::TRect& local_sel_rect) override;
    TLqInsertMarkerDir DropMarkerDir() override;
    fw::TRect ExpandIconR(TLqItem* item, const TLqRectArrayObject& rects,
                          TLqSelectHitType select_type) override;
    fw::TRect ExpandTextR(TLqItem* item, const TLqRectArrayObject& rects,
                          TLqSelectHitType select_type) override;
    fw::TCustomImageList* GetImageList(TLqColumn* column, TLqItem* item,
                                       TLqImageKind image) override;
    void ItemRectArray(TLqItem* item, TLqColumn* column, fw::TCanvas* canvas,
                       const QString& caption, TLqRectArrayObject& rects) override;
    void PaintBefore(TLqItem* item, TLqColumn* column, const QString& caption, fw::TCanvas* canvas,
                     const TLqRectArrayObject& rects, bool& handled) override;
    TLqImageSize PaintImageSize() override;
    void PaintText(TLqItem* item, TLqColumn* column, const QString& caption,
                   const TLqRectArrayObject& rects, fw::TCanvas* canvas,
                   int lines_to_draw) override;
    fw::TAlignment PaintTextAlignment(TLqItem* item, TLqColumn* column) override;
};

}

#endif
