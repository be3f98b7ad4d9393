// The group view: where the parts of a group's margins lie and how they are painted.
// The top margin is the group's header (expand button, check box, image, caption and a
// band), the bottom margin its footer (image, caption, band); the left and right
// margins carry bracket-shaped bands. The background and foreground steps cover the
// whole group and draw only the focus rectangle. One view serves every view style.
//
// All rectangles are in view coordinates (the plane the groups are laid out in).
#ifndef VISTREL_LISTVIEW_GROUP_VIEW_H
#define VISTREL_LISTVIEW_GROUP_VIEW_H

#include "listview/events.h"
#include "listview/persistent.h"

#include <memory>

namespace fw {
class TBitmap;
}

namespace vistrel::listview {

class TLqViewGroup : public TLqOwnedPersistentGroupItem {
public:
    using TLqOwnedPersistentGroupItem::TLqOwnedPersistentGroupItem;

    TLqViewGroupClass ClassType() const { return m_class; }
    void SetClassType(TLqViewGroupClass cls) { m_class = cls; }

    virtual bool EditAreaHitPt(TLqGroup* group, fw::TPoint viewport_point);
    // The larger width and the larger height of the expand and collapse images; 0 x 0
    // unless both exist.
    virtual void GetExpandImageSize(TLqGroup* group, int& image_w, int& image_h);
    // The custom-drawn image's size, else the image list's when the group has an image,
    // else 0 x 0.
    virtual void GetImageSize(TLqGroup* group, int& image_w, int& image_h);
    // The rectangles of one margin (edge) laid over obj_rect.
    virtual void GroupRectArray(TLqGroup* group, TLqGroupMarginEdge edge, const fw::TRect& obj_rect,
                                TLqRectArrayObject& rects);
    // The group font with the group's colour and weight; the application may change it
    // in OnGroupPaintText.
    virtual void LoadTextFont(TLqGroup* group, fw::TCanvas* canvas);
    // Paints one margin; nothing for an empty rectangle. The canvas's pen, brush and
    // font are restored afterwards, also when a step fails.
    virtual void Paint(TLqGroup* group, TLqGroupMarginEdge edge, const fw::TRect& obj_rect,
                       fw::TCanvas* canvas);
    virtual void PaintAfter(TLqGroup* group, fw::TCanvas* canvas, TLqGroupMarginEdge edge,
                            const fw::TRect& obj_rect, const TLqRectArrayObject& rects);
    virtual void PaintBackground(TLqGroup* group, fw::TCanvas* canvas, TLqGroupMarginEdge edge,
                                 const fw::TRect& obj_rect, const TLqRectArrayObject& rects);
    virtual void PaintBand(TLqGroup* group, fw::TCanvas* canvas, TLqGroupMarginEdge edge,
                           const fw::TRect& obj_rect, const TLqRectArrayObject& rects);
    virtual void PaintBefore(TLqGroup* group, fw::TCanvas* canvas, TLqGroupMarginEdge edge,
                             const fw::TRect& obj_rect, const TLqRectArrayObject& rects);
    virtual void PaintCheckBox(TLqGroup* group, fw::TCanvas* canvas,
                               const TLqRectArrayObject& rects);
    virtual void PaintExpandButton(TLqGroup* group, fw::TCanvas* canvas, TLqGroupMarginEdge edge,
                                   const fw::TRect& obj_rect, const TLqRectArrayObject& rects);
    virtual void PaintFocusRect(TLqGroup* group, fw::TCanvas* canvas, TLqGroupMarginEdge edge,
                                const fw::TRect& obj_rect, const TLqRectArrayObject& rects);
    virtual void PaintImage(TLqGroup* group, fw::TCanvas* canvas, TLqGroupMarginEdge edge,
                            const fw::TRect& obj_rect, const TLqRectArrayObject& rects);
    virtual void PaintSelectionRect(TLqGroup* group, fw::TCanvas* canvas, const fw::TRect& obj_rect,
                                    const TLqRectArrayObject& rects);
    virtual void PaintText(TLqGroup* group, TLqGroupMarginEdge edge, fw::TCanvas* canvas,
                           const fw::TRect& obj_rect, const TLqRectArrayObject& rects);
    virtual bool SelectionHit(TLqGroup* group, const fw::TRect& select_viewport_rect,
                              TLqSelectHitType type);
    virtual bool SelectionHitPt(TLqGroup* group, fw::TPoint viewport_point, TLqSelectHitType type);

    // The group's image list for its own images (small).
    fw::TCustomImageList* GetImageList(TLqGroup* group);

private:
    // The header and footer rectangles (step shared by every edge).
    void margin_rect_array(TLqGroup* group, TLqGroupMarginEdge edge, const fw::TRect& obj_rect,
                           TLqRectArrayObject& rects);
    void paint_horizontal_band(TLqGroup* group, fw::TCanvas* canvas, const fw::TRect& obj_rect,
                               const TLqRectArrayObject& rects);
    void paint_bracket(TLqGroup* group, fw::TCanvas* canvas, const TLqRectArrayObject& rects,
                       bool left);

    TLqViewGroupClass m_class = nullptr;
};

// A group view class: the record OnGroupCustomView hands back, with the view's maker.
struct TLqViewGroupClassInfo {
    std::unique_ptr<TLqViewGroup> (*create)(TLqGroup* group);
};
// The group view of every style.
TLqViewGroupClass LqDefaultGroupViewClass();

// The expand and collapse images a group shows: the control's own bitmaps when not
// empty, else the built-in ones.
fw::TBitmap* LqGroupExpandImage(TCustomLqListview* owner);
fw::TBitmap* LqGroupCollapseImage(TCustomLqListview* owner);

}

#endif
