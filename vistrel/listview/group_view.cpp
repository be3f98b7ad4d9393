#include "listview/group_view.h"

#include "listview/alpha_blender.h"
#include "listview/canvas_control.h"
#include "listview/common/check_bound_manager.h"
#include "listview/common/common_units.h"
#include "listview/common/drawing.h"
#include "listview/common/text_routines.h"
#include "listview/groups.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "platform/gdi.h"
#include "platform/system_metrics.h"

#include <algorithm>
#include <cmath>

using namespace fw;

namespace vistrel::listview {

namespace {

const TLqViewGroupClassInfo kGroupViewClass{
    [](TLqGroup* group) { return std::make_unique<TLqViewGroup>(group); }};

DrawTextFlags alignment_flag(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify:
        return dtfRight;
    case taCenter:
        return dtfCenter;
    default:
        return dtfLeft;
    }
}

DrawTextFlags valignment_flag(TLqCommonVAlignment alignment)
{
    switch (alignment) {
    case cvaBottom:
        return dtfBottom;
    case cvaCenter:
        return dtfVCenter;
    default:
        return dtfTop;
    }
}

// What a margin shows: the group's own caption and image in the header, the footer
// margin's in the footer.
struct MarginContent {
    QString caption;
    TAlignment alignment;
    TLqCommonVAlignment valignment;
    int image_index;
    int overlay_index;
};

MarginContent margin_content(TLqGroup* group, TLqGroupMarginEdge edge)
{
    TLqPaintInfoGroup* info = group->PaintInfo();
    if (edge == egmeBottom) {
        const TCustomLqFooterMargin* footer = info->MarginBottom();
        return {footer->Caption(), footer->Alignment(), footer->VAlignment(), footer->ImageIndex(),
                footer->ImageOverlayIndex()};
    }
    return {group->Caption(), info->Alignment(), info->VAlignment(), group->ImageIndex(),
            group->ImageOverlayIndex()};
}

// The room the band takes at the bottom of a header or footer.
int band_space(const TLqPaintInfoGroup* info)
{
    return info->BandEnabled() ? info->BandThickness() + 2 * info->BandMargin() : 0;
}

TRect inflated(TRect rect, int by)
{
    rect.Left -= by;
    rect.Top -= by;
    rect.Right += by;
    rect.Bottom += by;
    return rect;
}

// A pen in a plain RGB colour (system colours converted).
void set_pen(TCanvas* canvas, TColor color)
{
    canvas->Pen()->SetColor(color);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetStyle(psSolid);
}

}

TLqViewGroupClass LqDefaultGroupViewClass()
{
    return &kGroupViewClass;
}

TBitmap* LqGroupExpandImage(TCustomLqListview* owner)
{
    if (owner == nullptr)
        return nullptr;
    if (!owner->GroupExpandButton()->Empty())
        return owner->GroupExpandButton();
    return owner->GlobalImages()->GroupExpandButton();
}

TBitmap* LqGroupCollapseImage(TCustomLqListview* owner)
{
    if (owner == nullptr)
        return nullptr;
    if (!owner->GroupCollapseButton()->Empty())
        return owner->GroupCollapseButton();
    return owner->GlobalImages()->GroupCollapseButton();
}

// ---- Hit tests -------------------------------------------------------------------------------

bool TLqViewGroup::EditAreaHitPt(TLqGroup*, TPoint)
{
    return false;
}

bool TLqViewGroup::SelectionHit(TLqGroup*, const TRect&, TLqSelectHitType)
{
    return false;
}

bool TLqViewGroup::SelectionHitPt(TLqGroup*, TPoint, TLqSelectHitType)
{
    return false;
}

// ---- Sizes -----------------------------------------------------------------------------------

TCustomImageList* TLqViewGroup::GetImageList(TLqGroup* group)
{
    return group->GetImageList(-1, eisSmall);
}

void TLqViewGroup::GetExpandImageSize(TLqGroup* group, int& image_w, int& image_h)
{
    image_w = 0;
    image_h = 0;
    TBitmap* expand = LqGroupExpandImage(group->OwnerListview());
    TBitmap* collapse = LqGroupCollapseImage(group->OwnerListview());
    if (expand == nullptr || collapse == nullptr)
        return;
    image_w = std::max(expand->Width(), collapse->Width());
    image_h = std::max(expand->Height(), collapse->Height());
}

void TLqViewGroup::GetImageSize(TLqGroup* group, int& image_w, int& image_h)
{
    image_w = 0;
    image_h = 0;
    bool is_custom = false;
    group->ImageDrawIsCustom(-1, is_custom);
    if (is_custom) {
        group->ImageDrawGetSize(-1, image_w, image_h);
        return;
    }
    TCustomImageList* list = GetImageList(group);
    if (group->ImageIndex() >= 0 && list != nullptr) {
        image_w = list->Width();
        image_h = list->Height();
    }
}

// ---- Rectangles ------------------------------------------------------------------------------

void TLqViewGroup::GroupRectArray(TLqGroup* group, TLqGroupMarginEdge edge, const TRect& obj_rect,
                                  TLqRectArrayObject& rects)
{
    group->SetInitialized(true);
    rects = TLqRectArrayObject{};
    rects.GroupRect = obj_rect;
    rects.BackGndRect = group->BoundsRectBkGnd();
    switch (edge) {
    case egmeTop:
    case egmeBottom:
        margin_rect_array(group, edge, obj_rect, rects);
        return;
    case egmeLeft:
    case egmeRight: {
        // The side brackets reach from the header's band to the footer's.
        TLqRectArrayObject top;
        TLqRectArrayObject bottom;
        margin_rect_array(group, egmeTop, group->BoundsRectTopMargin(), top);
        margin_rect_array(group, egmeBottom, group->BoundsRectBottomMargin(), bottom);
        const int thickness = group->PaintInfo()->BandThickness();
        const int inset = (obj_rect.Width() - thickness) / 2;
        if (edge == egmeLeft)
            rects.BandRect = TRect{obj_rect.Left + inset, top.BandRect.Top, obj_rect.Right,
                                   bottom.BandRect.Bottom - 1};
        else
            rects.BandRect = TRect{obj_rect.Left, top.BandRect.Top, obj_rect.Right - inset,
                                   bottom.BandRect.Bottom - 1};
        return;
    }
    case egmeBackground:
    case egmeForeground:
        return;
    }
}

void TLqViewGroup::margin_rect_array(TLqGroup* group, TLqGroupMarginEdge edge,
                                     const TRect& obj_rect, TLqRectArrayObject& rects)
{
    rects.GroupRect = obj_rect;
    TLqPaintInfoGroup* info = group->PaintInfo();
    TCustomLqListview* owner = group->OwnerListview();
    const bool top_margin = edge == egmeTop;
    const MarginContent content = margin_content(group, edge);
    const TRect& area = rects.GroupRect;

    int image_w = 0;
    int image_h = 0;
    GetImageSize(group, image_w, image_h);
    int expand_w = 0;
    int expand_h = 0;
    GetExpandImageSize(group, expand_w, expand_h);
    if (owner != nullptr && owner->HandleAllocated()) {
        const int dpi = GetDeviceCaps(owner->Canvas()->Handle(), LOGPIXELSX);
        expand_w += static_cast<int>(std::lround(dpi / 96.0));
    }

    const int band = band_space(info);
    if (top_margin && info->Expandable()) {
        const int left = area.Left + info->ExpandImageIndent();
        rects.ExpandButtonRect = TRect{left, area.Top, left + expand_w, area.Bottom - band};
    } else {
        rects.ExpandButtonRect = TRect{area.Left, area.Top, area.Left, area.Bottom - band};
    }

    if (top_margin && info->CheckType() != ectNone) {
        TRect box = GlobalCheckBoundManager != nullptr
                        ? GlobalCheckBoundManager->CheckBound(info->CheckSize())
                        : GlyphFontCellSize(info->CheckSize());
        const int box_height = box.Height();
        int top = obj_rect.Top + (obj_rect.Height() - (band + box_height)) / 2;
        if (info->VAlignment() == cvaTop)
            top = obj_rect.Top + 2;
        else if (info->VAlignment() == cvaBottom)
            top = obj_rect.Bottom - band - box_height - 2;
        box = LqOffset(box, rects.ExpandButtonRect.Right + info->CheckIndent() - box.Left,
                       top - box.Top);
        rects.CheckRect = box;
    } else {
        rects.CheckRect = TRect{rects.ExpandButtonRect.Right, obj_rect.Top,
                                rects.ExpandButtonRect.Right, obj_rect.Bottom};
    }

    if (group->ImageIndex() < 0) {
        rects.IconRect = TRect{rects.CheckRect.Right, rects.CheckRect.Top, rects.CheckRect.Right,
                               rects.CheckRect.Bottom - band};
    } else {
        const int left = rects.CheckRect.Right + info->ImageIndent();
        rects.IconRect = TRect{left, area.Top, left + image_w, area.Bottom - band};
    }

    rects.LabelRect = TRect{rects.IconRect.Right + info->CaptionIndent(),
                            rects.ExpandButtonRect.Top, area.Right, rects.ExpandButtonRect.Bottom};

    TSize extent{0, 0};
    if (owner != nullptr && owner->HandleAllocated()) {
        TCanvas* canvas = owner->Canvas();
        LoadTextFont(group, canvas);
        extent = TextExtentInFont(content.caption, canvas->Font());
    }
    TRect text{rects.LabelRect.Left, rects.LabelRect.Top, rects.LabelRect.Left + extent.cx,
               rects.LabelRect.Top + extent.cy};
    text.Right = std::min(text.Right, rects.LabelRect.Right);
    text.Bottom = std::min(text.Bottom, rects.LabelRect.Bottom);
    const int spare_w = rects.LabelRect.Width() - text.Width();
    if (content.alignment == taRightJustify)
        text = LqOffset(text, spare_w, 0);
    else if (content.alignment == taCenter)
        text = LqOffset(text, spare_w / 2, 0);
    if (content.valignment == cvaBottom)
        text = LqOffset(text, 0, area.Height() - text.Height() - band);
    else if (content.valignment == cvaCenter)
        text = LqOffset(text, 0, (area.Height() - (band + text.Height())) / 2);
    rects.TextRect = text;

    if (info->BandEnabled()) {
        const int margin = info->BandMargin();
        const int thickness = info->BandThickness();
        if (info->BandFullWidth())
            rects.BandRect = TRect{area.Left, area.Bottom - margin - thickness, area.Right,
                                   area.Bottom - margin};
        else
            rects.BandRect = TRect{area.Left, area.Bottom - 2 * margin - thickness,
                                   area.Left + info->BandLength(), area.Bottom - margin};
        rects.BandRect = LqOffset(rects.BandRect, info->BandIndent(), 0);
    }
}

// ---- Painting --------------------------------------------------------------------------------

void TLqViewGroup::LoadTextFont(TLqGroup* group, TCanvas* canvas)
{
    if (canvas == nullptr)
        return;
    TCustomLqListview* owner = group->OwnerListview();
    if (owner == nullptr)
        return;
    canvas->SetFont(owner->GroupFont());
    canvas->Brush()->SetStyle(bsClear);
    if (group->Focused() && owner->Focused())
        canvas->Font()->SetColor(clHighlightText);
    if (group->Bold())
        canvas->Font()->SetStyle(canvas->Font()->Style().Include(fsBold));
    owner->DoGroupPaintText(group, canvas);
}

void TLqViewGroup::Paint(TLqGroup* group, TLqGroupMarginEdge edge, const TRect& obj_rect,
                         TCanvas* canvas)
{
    if (obj_rect.IsEmpty() || canvas == nullptr)
        return;
    TLqCanvasStore* store = CanvasStore();
    store->StoreCanvasState(canvas);
    struct Restore {
        TLqCanvasStore* store;
        TCanvas* canvas;
        ~Restore() { store->RestoreCanvasState(canvas); }
    } restore{store, canvas};

    TLqRectArrayObject rects;
    GroupRectArray(group, edge, obj_rect, rects);
    PaintBefore(group, canvas, edge, obj_rect, rects);
    PaintBackground(group, canvas, edge, obj_rect, rects);
    if (edge == egmeTop)
        PaintCheckBox(group, canvas, rects);
    PaintSelectionRect(group, canvas, obj_rect, rects);
    PaintFocusRect(group, canvas, edge, obj_rect, rects);
    PaintText(group, edge, canvas, obj_rect, rects);
    PaintBand(group, canvas, edge, obj_rect, rects);
    PaintExpandButton(group, canvas, edge, obj_rect, rects);
    PaintImage(group, canvas, edge, obj_rect, rects);
    PaintAfter(group, canvas, edge, obj_rect, rects);
}

void TLqViewGroup::PaintBefore(TLqGroup*, TCanvas*, TLqGroupMarginEdge, const TRect&,
                               const TLqRectArrayObject&)
{
}

void TLqViewGroup::PaintBackground(TLqGroup*, TCanvas*, TLqGroupMarginEdge, const TRect&,
                                   const TLqRectArrayObject&)
{
}

void TLqViewGroup::PaintAfter(TLqGroup*, TCanvas*, TLqGroupMarginEdge, const TRect&,
                              const TLqRectArrayObject&)
{
}

void TLqViewGroup::PaintCheckBox(TLqGroup* group, TCanvas* canvas, const TLqRectArrayObject& rects)
{
    TLqPaintInfoGroup* info = group->PaintInfo();
    const TLqCheckType type = info->CheckType();
    if (type == ectNone || type == ectNoneWithSpace)
        return;
    TCustomLqListview* owner = group->OwnerListview();
    const bool pressed = group->CheckPending() && owner != nullptr &&
                         owner->States().Contains(ebcsCheckboxClickPending);
    TLqOwnedPersistentView::PaintCheckBox(
        type, owner, info->CheckSize(), group, group->CheckPending(), group->CheckHovering(),
        info->CheckFlat(), pressed, group->Checked(), group->Enabled(), rects.CheckRect, canvas);
}

void TLqViewGroup::PaintSelectionRect(TLqGroup* group, TCanvas* canvas, const TRect&,
                                      const TLqRectArrayObject& rects)
{
    if (!group->Selected() || rects.TextRect.IsEmpty() || group->Caption().isEmpty())
        return;
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clHighlight);
    canvas->FillRect(inflated(rects.TextRect, 2));
}

void TLqViewGroup::PaintFocusRect(TLqGroup* group, TCanvas* canvas, TLqGroupMarginEdge edge,
                                  const TRect&, const TLqRectArrayObject& rects)
{
    if (edge != egmeForeground || !group->Focused() || rects.GroupRect.IsEmpty())
        return;
    TCustomLqListview* owner = group->OwnerListview();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(owner != nullptr ? owner->Color() : clWindow);
    canvas->Font()->SetColor(clBlack);
    canvas->DrawFocusRect(inflated(rects.GroupRect, -4));
}

void TLqViewGroup::PaintText(TLqGroup* group, TLqGroupMarginEdge edge, TCanvas* canvas,
                             const TRect&, const TLqRectArrayObject& rects)
{
    const MarginContent content = margin_content(group, edge);
    if (rects.TextRect.IsEmpty() || content.caption.isEmpty())
        return;
    LoadTextFont(group, canvas);
    TRect text = rects.TextRect;
    const DrawTextFlags flags = dtfSingleLine | dtfEndEllipsis | alignment_flag(content.alignment) |
                                valignment_flag(content.valignment);
    DrawTextWithFlags(canvas->Handle(), content.caption, text, flags, 1);
}

void TLqViewGroup::PaintBand(TLqGroup* group, TCanvas* canvas, TLqGroupMarginEdge edge,
                             const TRect& obj_rect, const TLqRectArrayObject& rects)
{
    TLqPaintInfoGroup* info = group->PaintInfo();
    if (!info->BandEnabled() || rects.BandRect.IsEmpty())
        return;
    switch (edge) {
    case egmeTop:
    case egmeBottom:
        paint_horizontal_band(group, canvas, obj_rect, rects);
        return;
    case egmeLeft:
        paint_bracket(group, canvas, rects, true);
        return;
    case egmeRight:
        paint_bracket(group, canvas, rects, false);
        return;
    case egmeBackground:
    case egmeForeground:
        return;
    }
}

void TLqViewGroup::paint_horizontal_band(TLqGroup* group, TCanvas* canvas, const TRect& obj_rect,
                                         const TLqRectArrayObject& rects)
{
    TLqPaintInfoGroup* info = group->PaintInfo();
    const int y = rects.BandRect.Top + info->BandMargin();
    const int thickness = info->BandThickness();
    if (!info->BandBlended()) {
        set_pen(canvas, info->BandColor());
        const int left = info->BandFullWidth() ? obj_rect.Left : rects.BandRect.Left;
        const int right = info->BandFullWidth() ? obj_rect.Right : left + info->BandLength();
        for (int row = 0; row < thickness; ++row) {
            canvas->MoveTo(left, y + row);
            canvas->LineTo(right, y + row);
        }
        return;
    }
    if (info->BandLength() <= 0)
        return;
    const int length = info->BandFullWidth() ? obj_rect.Width() : info->BandLength();
    // The colour steps divide by the length: a band without length has nothing to fade
    // over and draws nothing.
    if (length <= 0)
        return;
    const int start = info->BandFullWidth() ? obj_rect.Left : rects.BandRect.Left;
    const auto from = static_cast<uint32_t>(ColorToRGB(info->BandColor()));
    const auto to = static_cast<uint32_t>(ColorToRGB(info->BandColorFade()));
    double channel[3];
    double step[3];
    for (int c = 0; c < 3; ++c) {
        channel[c] = static_cast<double>((from >> (8 * c)) & 0xFF);
        step[c] = (static_cast<double>((to >> (8 * c)) & 0xFF) - channel[c]) / length;
    }
    set_pen(canvas, static_cast<TColor>(from));
    for (int i = 0; i <= length; ++i) {
        canvas->MoveTo(start + i, y);
        canvas->LineTo(start + i, y + thickness);
        // The next line takes the colour of this step.
        uint32_t color = 0;
        for (int c = 0; c < 3; ++c) {
            const long value = std::lround(i * step[c] + channel[c]);
            color |= static_cast<uint32_t>(std::clamp<long>(value, 0, 255)) << (8 * c);
        }
        canvas->Pen()->SetColor(static_cast<TColor>(color));
    }
}

void TLqViewGroup::paint_bracket(TLqGroup* group, TCanvas* canvas, const TLqRectArrayObject& rects,
                                 bool left)
{
    TLqPaintInfoGroup* info = group->PaintInfo();
    const int radius = info->BandRadius();
    const int thickness = info->BandThickness();
    const TRect& band = rects.BandRect;
    set_pen(canvas, !left && info->BandBlended() ? info->BandColorFade() : info->BandColor());
    // The straight parts: the top and bottom arms and the upright.
    const int arm_from = left ? band.Left + radius : band.Left;
    const int arm_to = left ? band.Right + 1 : band.Right - radius + 1;
    for (int c = 0; c < thickness; ++c) {
        canvas->MoveTo(arm_from, band.Top + c);
        canvas->LineTo(arm_to, band.Top + c);
        canvas->MoveTo(arm_from, band.Bottom - c);
        canvas->LineTo(arm_to, band.Bottom - c);
        const int x = left ? band.Left + c : band.Right - c;
        canvas->MoveTo(x, band.Top + radius);
        canvas->LineTo(x, band.Bottom - radius + 1);
    }
    // The rounded corners, one quarter arc per step of the thickness. Each arc starts
    // at its own first point, so that no line joins it to the pen's last position.
    HDC dc = canvas->Handle();
    const int centre_x = left ? band.Left + radius : band.Right - radius;
    const struct {
        int centre_y;
        float start_angle;
    } corners[2] = {{band.Top + radius, left ? 90.0f : 0.0f},
                    {band.Bottom - radius, left ? 180.0f : 270.0f}};
    for (int c = 0; c < thickness; ++c) {
        const int arc_radius = radius - c;
        if (arc_radius < 0)
            break;
        for (const auto& corner : corners) {
            const double angle = corner.start_angle * M_PI / 180.0;
            MoveToEx(dc, centre_x + static_cast<int>(std::lround(arc_radius * std::cos(angle))),
                     corner.centre_y - static_cast<int>(std::lround(arc_radius * std::sin(angle))),
                     nullptr);
            AngleArc(dc, centre_x, corner.centre_y, static_cast<DWORD>(arc_radius),
                     corner.start_angle, 90.0f);
        }
    }
}

void TLqViewGroup::PaintExpandButton(TLqGroup* group, TCanvas* canvas, TLqGroupMarginEdge edge,
                                     const TRect&, const TLqRectArrayObject& rects)
{
    if (edge != egmeTop || !group->PaintInfo()->Expandable())
        return;
    // Themes are never in use on this platform (the canvas control's DrawWithThemes), so
    // the buttons are always the bitmaps.
    TCustomLqListview* owner = group->OwnerListview();
    TBitmap* image = group->Expanded() ? LqGroupCollapseImage(owner) : LqGroupExpandImage(owner);
    if (image == nullptr || image->Empty())
        return;
    const TRect& button = rects.ExpandButtonRect;
    const int x = button.Left + (button.Width() - image->Width()) / 2;
    int y = button.Top + (button.Height() - image->Height()) / 2;
    if (group->PaintInfo()->VAlignment() == cvaTop)
        y = button.Top + 2;
    else if (group->PaintInfo()->VAlignment() == cvaBottom)
        y = button.Bottom - 2 - image->Height();
    canvas->Draw(x, y, image);
}

void TLqViewGroup::PaintImage(TLqGroup* group, TCanvas* canvas, TLqGroupMarginEdge edge,
                              const TRect&, const TLqRectArrayObject& rects)
{
    if (edge != egmeTop && edge != egmeBottom)
        return;
    bool is_custom = false;
    group->ImageDrawIsCustom(-1, is_custom);
    if (is_custom) {
        group->ImageDraw(-1, canvas, rects, LqSharedAlphaBlender());
        return;
    }
    const MarginContent content = margin_content(group, edge);
    TCustomImageList* list = GetImageList(group);
    if (list == nullptr || content.image_index < 0)
        return;
    const int image_w = list->Width();
    const int image_h = list->Height();
    const TRect& icon = rects.IconRect;
    const int x = icon.Left + (icon.Width() - image_w) / 2;
    int y = icon.Top + (icon.Height() - image_h) / 2;
    if (group->PaintInfo()->VAlignment() == cvaTop)
        y = icon.Top + 2;
    else if (group->PaintInfo()->VAlignment() == cvaBottom)
        y = icon.Bottom - image_h - 2;
    UINT style = ILD_TRANSPARENT;
    if (content.overlay_index >= 0) {
        ImageList_SetOverlayImage(list->Handle(), content.overlay_index, 1);
        style |= INDEXTOOVERLAYMASK(1);
    }
    ImageList_DrawEx(list->Handle(), content.image_index, canvas->Handle(), x, y, 0, 0, CLR_NONE,
                     CLR_NONE, style);
}

// ---- The group's painting --------------------------------------------------------------------

void TLqGroup::Paint(TLqGroupMarginEdge edge, const TRect& obj_rect, TCanvas* canvas)
{
    View()->Paint(this, edge, obj_rect, canvas);
}

}
