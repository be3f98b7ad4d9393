// The painting steps of the item view that reach the pixels: the selection background
// on each of its roads (gradient, alpha blended, rounded, blurred, solid), the image
// with its clip, and the check-box painter of every view.

#include "listview/alpha_blender.h"
#include "listview/common/blending.h"
#include "listview/common/drawing.h"
#include "listview/common/rect_routines.h"
#include "listview/groups.h"
#include "listview/item_view.h"
#include "listview/item_view_support.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/listview.h"
#include "listview/managers.h"
#include "listview/selection.h"
#include "platform/image_lists.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace fw;

namespace vistrel::listview {

using namespace item_view;

namespace {

// The colours of one selection background.
struct SelectionColours {
    TColor font;
    TColor pen;
    TColor brush;
    TColor fill;
    TColor gradient_top;
    TColor gradient_bottom;
};

// A 32-bit bitmap of w x h holding what the canvas shows at (x, y) (logical
// coordinates).
std::unique_ptr<TBitmap> copy_background(TCanvas* canvas, int x, int y, int w, int h)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(w, h);
    BitBlt(bitmap->Canvas()->Handle(), 0, 0, w, h, canvas->Handle(), x, y, SRCCOPY);
    return bitmap;
}

uint8_t channel(uint32_t pixel, int shift)
{
    return static_cast<uint8_t>((pixel >> shift) & 0xFF);
}

// Mixes a vertical gradient from top to bottom (RGB colours) into the bitmap: each
// channel becomes (gradient * 80 + background * 20) / 100. With blur, each background
// pixel that has neighbours on all sides is first replaced by (the sum of its eight
// neighbours + half its own value) / 9.
void mix_gradient(TBitmap* bitmap, TColor top, TColor bottom, bool blur)
{
    const int w = bitmap->Width();
    const int h = bitmap->Height();
    if (w <= 0 || h <= 0)
        return;
    std::vector<uint32_t> source(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
        std::memcpy(&source[static_cast<size_t>(y) * w], bitmap->ScanLine(y),
                    static_cast<size_t>(w) * 4);
    auto at = [&](int x, int y) { return source[static_cast<size_t>(y) * w + x]; };
    const uint32_t from = static_cast<uint32_t>(ColorToRGB(top));
    const uint32_t to = static_cast<uint32_t>(ColorToRGB(bottom));
    for (int y = 0; y < h; ++y) {
        // Row colours run from the top colour in the first row to the bottom colour in the
        // last (0x00BBGGRR).
        int gradient[3];
        for (int c = 0; c < 3; ++c) {
            const int a = channel(from, 8 * c);
            const int b = channel(to, 8 * c);
            gradient[c] = h > 1 ? a + (b - a) * y / (h - 1) : a;
        }
        auto* row = static_cast<uint32_t*>(bitmap->ScanLine(y));
        for (int x = 0; x < w; ++x) {
            // Pixels are 0x00RRGGBB: red at 16, green at 8, blue at 0.
            int back[3];
            for (int c = 0; c < 3; ++c) {
                const int shift = 16 - 8 * c;
                if (blur && x > 0 && y > 0 && x < w - 1 && y < h - 1) {
                    int sum = 0;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx)
                            if (dx != 0 || dy != 0)
                                sum += channel(at(x + dx, y + dy), shift);
                    back[c] = (sum + channel(at(x, y), shift) / 2) / 9;
                } else {
                    back[c] = channel(at(x, y), shift);
                }
            }
            uint32_t pixel = 0;
            for (int c = 0; c < 3; ++c) {
                const int mixed = (gradient[c] * 80 + back[c] * 20) / 100;
                pixel |= static_cast<uint32_t>(std::clamp(mixed, 0, 255)) << (16 - 8 * c);
            }
            row[x] = pixel;
        }
    }
}

}

void TLqViewItem::PaintSelectionRect(TLqItem* item, TLqColumn* column, const QString& caption,
                                     const TLqRectArrayObject& rects, TCanvas* canvas, const TRect&,
                                     bool force_selection_rect_draw)
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr)
        return;
    TLqSelectionManager* selection = owner->Selection();
    const bool marked =
        (item->Selected() || item->Hilighted()) && (column == nullptr || ColumnIndex(column) <= 0);
    if ((!marked || FullRowSelect()) && !force_selection_rect_draw)
        return;

    const bool active = ControlFocused(owner) || (item->Hilighted() && !owner->ShowInactive()) ||
                        selection->PopupMode();
    SelectionColours colours{};
    if (active) {
        colours.font = selection->TextColor();
        colours.pen = selection->FocusedItem() == item && selection->UseFocusRect()
                          ? TColor(0xC0C0C0)
                          : selection->BorderColor();
        colours.brush = selection->Color();
        colours.fill = selection->Color();
        colours.gradient_top = selection->GradientColorTop();
        colours.gradient_bottom = selection->GradientColorBottom();
    } else {
        colours.font = selection->InactiveTextColor();
        colours.pen = selection->InactiveBorderColor();
        colours.brush = selection->InactiveColor();
        colours.fill = selection->InactiveColor();
        colours.gradient_top = owner->Color();
        colours.gradient_bottom = selection->InactiveColor();
    }

    // The first column's horizontal span in the report view.
    auto first_column_span = [&](TRect r) {
        if (owner->View() == elsReport)
            if (TLqColumn* first = owner->Header()->FirstVisibleColumn()) {
                r.Left = ColumnDisplayRect(first).Left;
                r.Right = r.Left + ColumnWidth(first);
            }
        return r;
    };
    const bool full_cell = selection->FullCellPaint();
    const bool full_item = selection->FullItemPaint();
    TRect r;
    if (selection->GroupSelections() && owner->View() == elsReport && marked) {
        TLqSelectionGroupList* group = item->SelectionGroup();
        if (group == nullptr) {
            r = item->ViewRect();
            if (!full_item && !full_cell)
                r.Left = rects.SelectionRect.Left;
        } else if (item->Hilighted()) {
            r = item->ViewRect();
            if (!full_item && !full_cell)
                r.Left = rects.TextRect.Left;
        } else if (group->FirstItem == item) {
            r = group->DisplayRect;
            if (!full_item && !full_cell)
                r.Left = rects.SelectionRect.Left;
        }
    } else if (FullRowSelect() && marked) {
        r = item->ViewRect();
        if (!full_cell && !full_item)
            r.Left = rects.SelectionRect.Left;
    } else if (item->Focused() && (ControlFocused(owner) || selection->PopupMode())) {
        if (full_cell) {
            r = first_column_span(LqUnion(item->ViewRect(), rects.FullFocusSelRect));
        } else {
            r = rects.FullFocusSelRect;
            if (full_item)
                r = LqUnion(r, rects.IconRect);
        }
    } else if (full_cell) {
        r = first_column_span(item->ViewRect());
    } else {
        r = rects.SelectionRect;
        if (full_item)
            r = LqUnion(r, rects.IconRect);
    }
    AfterSelRectCalc(item, column, caption, r);

    // W: the rectangle in window coordinates, below the header band and inside the client
    // area; C: W back in view coordinates, reaching right by the corner radius.
    TLqScrollbarManager* bars = owner->Scrollbars();
    TRect w = bars->MapViewRectToWindowRect(r);
    const int header_bottom = owner->HeaderHeightInView();
    if (w.Top < header_bottom)
        w.Top = std::min(header_bottom, w.Bottom);
    w = LqIntersect(w, owner->ClientRect());
    TRect c = bars->MapWindowRectToViewRect(w);
    c.Right = std::min(c.Right + selection->RoundRectRadius(), r.Right);

    if (owner->GetPaintInfoItem()->GridLines())
        r.Bottom -= 1;
    if (r.IsEmpty())
        return;

    canvas->Font()->SetColor(colours.font);
    canvas->Pen()->SetColor(colours.pen);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(colours.brush);
    const int radius = selection->RoundRectRadius();

    if (selection->Gradient() && !selection->AlphaBlend()) {
        if (c.Height() > 0)
            FillGradientRows(r.Left, c.Top, c.Right, c.Bottom, colours.gradient_top,
                             colours.gradient_bottom, c.Top, c.Bottom, canvas);
        canvas->FrameRect(r);
        return;
    }
    if (HasMMX() && selection->AlphaBlend()) {
        if (selection->RoundRect()) {
            if (c.IsEmpty())
                return;
            std::unique_ptr<TBitmap> bitmap =
                copy_background(canvas, c.Left, c.Top, c.Width(), c.Height());
            TCanvas* bits = bitmap->Canvas();
            bits->Pen()->Assign(canvas->Pen());
            bits->Brush()->SetStyle(bsClear);
            bits->RoundRect(0, 0, c.Width(), c.Height(), radius, radius);
            if (selection->Gradient())
                mix_gradient(bitmap.get(), colours.gradient_top, colours.gradient_bottom,
                             selection->BlurAlphaBkGnd());
            else
                BlendBitmaps(nullptr, bits->Handle(), TRect{0, 0, c.Width(), c.Height()},
                             TPoint{0, 0}, cbmConstantAlphaAndColor,
                             selection->BlendAlphaTextRect(),
                             static_cast<int>(ColorToRGB(colours.fill)));
            const TRect cw = bars->MapViewRectToWindowRect(c);
            HRGN region =
                CreateRoundRectRgn(cw.Left, cw.Top, cw.Right + 1, cw.Bottom + 1, radius, radius);
            SelectClipRgn(canvas->Handle(), region);
            owner->ClipHeader(canvas, false);
            BitBlt(canvas->Handle(), c.Left, c.Top, c.Width(), c.Height(), bits->Handle(), 0, 0,
                   SRCCOPY);
            owner->ClipHeader(canvas, true);
            DeleteObject(region);
            return;
        }
        if (selection->Gradient()) {
            if (c.IsEmpty())
                return;
            std::unique_ptr<TBitmap> bitmap =
                copy_background(canvas, c.Left, c.Top, c.Width(), c.Height());
            mix_gradient(bitmap.get(), colours.gradient_top, colours.gradient_bottom,
                         selection->BlurAlphaBkGnd());
            BitBlt(canvas->Handle(), r.Left, c.Top, c.Width(), c.Height(),
                   bitmap->Canvas()->Handle(), 0, 0, SRCCOPY);
            return;
        }
        // The tint works on the pixels of the bitmap selected into the canvas (the back
        // buffer), which is why it takes the window rectangle.
        BlendBitmaps(nullptr, canvas->Handle(), w, TPoint{0, 0}, cbmConstantAlphaAndColor,
                     selection->BlendAlphaTextRect(), static_cast<int>(ColorToRGB(colours.fill)));
        canvas->Brush()->SetStyle(bsClear);
        canvas->Rectangle(r);
        return;
    }
    if (selection->RoundRect())
        canvas->RoundRect(r.Left, r.Top, r.Right, r.Bottom, radius, radius);
    else
        canvas->Rectangle(r);
}

void TLqViewItem::TestAndClipImage(TCanvas* canvas, const TLqRectArrayObject& rects, HRGN& rgn)
{
    rgn = nullptr;
    const TRect image = LqUnion(rects.IconRect, rects.StateRect);
    if (RectContainsRect(rects.BoundsRect, image))
        return;
    HDC dc = canvas->Handle();
    rgn = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(dc, rgn) != 1) {
        DeleteObject(rgn);
        rgn = nullptr;
    }
    const TRect clip = LqIntersect(image, rects.BoundsRect);
    IntersectClipRect(dc, clip.Left, clip.Top, clip.Right, clip.Bottom);
    if (TCustomLqListview* owner = OwnerListview())
        owner->ClipHeader(canvas, false);
}

void TLqViewItem::TestAndUnClipImage(TCanvas* canvas, const TLqRectArrayObject& rects, HRGN rgn)
{
    // Only a clip that TestAndClipImage narrowed is undone; any other is left as the
    // caller set it.
    if (RectContainsRect(rects.BoundsRect, LqUnion(rects.IconRect, rects.StateRect)))
        return;
    HDC dc = canvas->Handle();
    if (rgn != nullptr) {
        SelectClipRgn(dc, rgn);
        DeleteObject(rgn);
        return;
    }
    SelectClipRgn(dc, nullptr);
    if (TCustomLqListview* owner = OwnerListview())
        owner->ClipHeader(canvas, false);
}

void TLqViewItem::PaintImage(TLqItem* item, TLqColumn* column, const QString&,
                             const TLqRectArrayObject& rects, TLqImageSize, TCanvas* canvas)
{
    TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr || !(owner->ShowImages() || owner->IsThumbnailView()))
        return;
    HRGN saved = nullptr;
    TestAndClipImage(canvas, rects, saved);
    struct Unclip {
        TLqViewItem* view;
        TCanvas* canvas;
        const TLqRectArrayObject& rects;
        HRGN& saved;
        ~Unclip() { view->TestAndUnClipImage(canvas, rects, saved); }
    } unclip{this, canvas, rects, saved};

    bool do_default = true;
    TCustomImageList* list = GetImageList(column, item, eikNormal);
    TRect target = rects.IconRect;
    if (owner->IsThumbnailView()) {
        target = Shrink(rects.IconRect, item->Border());
        const TRect thumb = target;
        item->ThumbnailDraw(canvas, thumb, LqSharedAlphaBlender(), do_default);
    }
    if (!do_default || !owner->ShowImages())
        return;

    const int column_index = ColumnIndex(column);
    bool is_custom = false;
    item->ImageDrawIsCustom(column_index, is_custom);
    if (is_custom) {
        item->ImageDraw(column_index, canvas, rects, LqSharedAlphaBlender());
        return;
    }
    HDC dc = canvas->Handle();
    const int index = item->GetImageIndexes(column_index);
    const int overlay = item->GetImageOverlayIndexes(column_index);
    const int state_index = item->GetStateImageIndexes(column_index);
    if (PaintStateImage() && state_index >= 0)
        if (TCustomImageList* states = GetStateImageList(column, item)) {
            const TRect& s = rects.StateRect;
            ImageList_DrawEx(
                states->Handle(), state_index, dc, s.Left + (s.Width() - states->Width()) / 2,
                s.Top + (s.Height() - states->Height()) / 2, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL);
        }
    if (list == nullptr || index < 0)
        return;

    TLqSelectionManager* selection = owner->Selection();
    UINT style = ILD_TRANSPARENT;
    COLORREF foreground = CLR_NONE;
    const bool active = ControlFocused(owner) || selection->PopupMode();
    if (selection->BlendIcon() &&
        ((active && item->Selected()) || (item->Hilighted() && ColumnPosition(column) < 1))) {
        foreground = selection->ForceDefaultBlend()
                         ? CLR_DEFAULT
                         : static_cast<COLORREF>(ColorToRGB(selection->Color()));
        style |= ILD_BLEND50;
    }
    if (!item->Enabled() || item->Cut() || item->Ghosted() || owner->ShowInactive()) {
        foreground = static_cast<COLORREF>(ColorToRGB(owner->DisabledBlendColor()));
        style |= ILD_BLEND50;
    }
    if (overlay >= 0)
        style |= static_cast<UINT>(overlay) << 8;

    const int image_w = list->Width();
    const int image_h = list->Height();
    if (target.Width() >= image_w && target.Height() >= image_h) {
        ImageList_DrawEx(list->Handle(), index, dc, target.Left + (target.Width() - image_w) / 2,
                         target.Top + (target.Height() - image_h) / 2, 0, 0, CLR_NONE, foreground,
                         style);
        return;
    }
    if (image_w <= 0 || image_h <= 0 || target.IsEmpty())
        return;
    // Larger than its place: drawn at its size and shrunk in proportion, centred.
    const double scale = std::min(static_cast<double>(target.Width()) / image_w,
                                  static_cast<double>(target.Height()) / image_h);
    const int scaled_w = static_cast<int>(std::lround(image_w * scale));
    const int scaled_h = static_cast<int>(std::lround(image_h * scale));
    const int x = target.Left + (target.Width() - scaled_w) / 2;
    const int y = target.Top + (target.Height() - scaled_h) / 2;
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf32bit);
    bitmap.SetSize(image_w, image_h);
    HDC bits = bitmap.Canvas()->Handle();
    // The picture under the target first, so that the image's transparent parts keep it.
    StretchBlt(bits, 0, 0, image_w, image_h, dc, x, y, scaled_w, scaled_h, SRCCOPY);
    ImageList_DrawEx(list->Handle(), index, bits, 0, 0, 0, 0, CLR_NONE, foreground, style);
    StretchBlt(dc, x, y, scaled_w, scaled_h, bits, 0, 0, image_w, image_h, SRCCOPY);
}

// ---- The check-box painter of every view -----------------------------------------------------

void TLqOwnedPersistentView::PaintCheckBox(TLqCheckType check_type, TCustomLqListview*, int size,
                                           TLqCollectionItem*, bool, bool, bool check_flat,
                                           bool pressed, bool checked, bool enabled,
                                           const TRect& check_rect, TCanvas* canvas)
{
    // Visual themes are never in use here, so the classic glyphs draw every box.
    if (canvas == nullptr || (check_type != ectBox && check_type != ectRadio))
        return;
    const TPoint pos{check_rect.Left, check_rect.Top};
    // The edges in the painter's order: outer top-left, outer bottom-right, inner
    // top-left, inner bottom-right.
    TColor edges[4];
    if (check_flat) {
        const TColor edge = enabled ? TColor(0) : clBtnShadow;
        std::fill(std::begin(edges), std::end(edges), edge);
    } else {
        edges[0] = clBtnShadow;
        edges[1] = clBtnHighlight;
        edges[2] = cl3DDkShadow;
        edges[3] = cl3DLight;
    }
    const TColor pressed_face = clBtnFace;
    const TColor face = enabled ? clWhite : clBtnFace;
    if (check_type == ectBox)
        DrawCheckBoxGlyphs(canvas, pos, size, face, pressed_face, edges[0], edges[1], edges[2],
                           edges[3], checked, enabled, pressed);
    else
        DrawRadioButtonGlyphs(canvas, pos, size, face, pressed_face, edges[0], edges[1], edges[2],
                              edges[3], checked, enabled, pressed);
}

}
