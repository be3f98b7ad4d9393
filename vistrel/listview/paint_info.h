// Paint information: the values with which items, groups and columns are laid out and
// drawn (indents, border, check box, alignment; for groups the band and the four
// margins), the group margins themselves, and the control's four built-in bitmaps.
//
// The control owns one paint information for all items and one for all groups; an item
// or group reads its values through its own, which is the control's unless it has one.
// Setters store a changed value and repaint the whole control; an unchanged value does
// nothing. Margin sizes and visibility change the layout, so they rebuild the groups.
#ifndef VISTREL_LISTVIEW_PAINT_INFO_H
#define VISTREL_LISTVIEW_PAINT_INFO_H

#include "framework/controls.h"
#include "framework/graphics.h"
#include "listview/common/common_types.h"
#include "listview/persistent.h"

#include <QtCore/QString>

#include <memory>

namespace vistrel::listview {

class TLqPaintInfoBaseGroup;

// ---- Paint information shared by items, groups and columns ----------------------------------

class TLqPaintInfoBasic : public TLqOwnedPersistent {
public:
    explicit TLqPaintInfoBasic(TCustomLqListview* owner) : TLqOwnedPersistent(owner) {}

    // From another paint information: everything but ShowBorder, without a repaint.
    void Assign(fw::TPersistent* source) override;

    fw::TAlignment Alignment() const { return m_alignment; }
    int Border() const { return m_border; }
    fw::TColor BorderColor() const { return m_border_color; }
    int CaptionIndent() const { return m_caption_indent; }
    int CaptionLines() const { return m_caption_lines; }
    bool CheckFlat() const { return m_check_flat; }
    int CheckIndent() const { return m_check_indent; }
    int CheckSize() const { return m_check_size; }
    TLqCheckType CheckType() const { return m_check_type; }
    int ImageIndent() const { return m_image_indent; }
    bool ShowBorder() const { return m_show_border; }
    TLqCommonVAlignment VAlignment() const { return m_valignment; }

    void SetAlignment(fw::TAlignment value) { set(m_alignment, value); }
    void SetBorder(int value) { set(m_border, value); }
    void SetBorderColor(fw::TColor value) { set(m_border_color, value); }
    void SetCaptionIndent(int value) { set(m_caption_indent, value); }
    void SetCaptionLines(int value) { set(m_caption_lines, value); }
    void SetCheckFlat(bool value) { set(m_check_flat, value); }
    void SetCheckIndent(int value) { set(m_check_indent, value); }
    void SetCheckSize(int value) { set(m_check_size, value); }
    void SetCheckType(TLqCheckType value) { set(m_check_type, value); }
    void SetImageIndent(int value) { set(m_image_indent, value); }
    // Only stored: the border is read at the next paint of each item.
    void SetShowBorder(bool value) { m_show_border = value; }
    void SetVAlignment(TLqCommonVAlignment value) { set(m_valignment, value); }

    // Repaints the whole control (nothing without a window).
    virtual void Invalidate(bool immediate_update);

protected:
    template <typename T>
    void set(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        Invalidate(false);
    }
    // The whole control invalidated, not at once.
    void invalidate_control();

private:
    fw::TAlignment m_alignment = fw::taLeftJustify;
    int m_border = 4;
    fw::TColor m_border_color = fw::clHighlight;
    int m_caption_indent = 4;
    int m_caption_lines = 1;
    bool m_check_flat = false;
    int m_check_indent = 2;
    int m_check_size = 12;
    TLqCheckType m_check_type = ectNone;
    int m_image_indent = 2;
    bool m_show_border = true;
    TLqCommonVAlignment m_valignment = cvaCenter;
};

// ---- Items -----------------------------------------------------------------------------------

class TLqPaintInfoBaseItem : public TLqPaintInfoBasic {
public:
    using TLqPaintInfoBasic::TLqPaintInfoBasic;

    fw::TColor GridLineColor() const { return m_grid_line_color; }
    bool GridLines() const { return m_grid_lines; }
    bool HideCaption() const { return m_hide_caption; }
    int TileDetailCount() const { return m_tile_detail_count; }

    void SetGridLineColor(fw::TColor value) { set_item(m_grid_line_color, value); }
    void SetGridLines(bool value) { set_item(m_grid_lines, value); }
    void SetHideCaption(bool value) { set_item(m_hide_caption, value); }
    void SetTileDetailCount(int value) { set_item(m_tile_detail_count, value); }

private:
    template <typename T>
    void set_item(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        invalidate_control();
    }

    fw::TColor m_grid_line_color = fw::clBtnFace;
    bool m_grid_lines = false;
    bool m_hide_caption = false;
    int m_tile_detail_count = 1;
};

class TLqPaintInfoItem : public TLqPaintInfoBaseItem {
public:
    using TLqPaintInfoBaseItem::TLqPaintInfoBaseItem;
};

// ---- Columns ---------------------------------------------------------------------------------

// What the control's painting reads of the column paint information: the fill of the
// focused column's band and whether the last group's bands reach the window's bottom.
class TLqPaintInfoColumn : public TLqPaintInfoBasic {
public:
    using TLqPaintInfoBasic::TLqPaintInfoBasic;

    bool BkGndColorFillsWindow() const { return m_bk_gnd_color_fills_window; }
    bool HilightFocused() const { return m_hilight_focused; }
    fw::TColor HilightFocusedColor() const { return m_hilight_focused_color; }
    void SetBkGndColorFillsWindow(bool value) { set_column(m_bk_gnd_color_fills_window, value); }
    void SetHilightFocused(bool value) { set_column(m_hilight_focused, value); }
    void SetHilightFocusedColor(fw::TColor value) { set_column(m_hilight_focused_color, value); }

private:
    template <typename T>
    void set_column(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        invalidate_control();
    }

    bool m_bk_gnd_color_fills_window = false;
    bool m_hilight_focused = false;
    fw::TColor m_hilight_focused_color = 0xF7F7F7;
};

// ---- Group margins ---------------------------------------------------------------------------

// A band around a group: its size and whether it is shown. Changing either lays the
// groups out again.
class TLqMargin : public TLqOwnedPersistent {
public:
    explicit TLqMargin(TCustomLqListview* owner) : TLqOwnedPersistent(owner) {}

    // From any margin: Size and Visible, without a new layout.
    void Assign(fw::TPersistent* source) override;

    int Size() const { return m_size; }
    // Below 0 counts as 0.
    void SetSize(int value);
    bool Visible() const { return m_visible; }
    void SetVisible(bool value);
    // The size the layout gives the margin: Size while it is visible and the control
    // shows group margins, else 0.
    int RuntimeSize() const;

protected:
    void rebuild_groups();

    int m_size = 30;
    bool m_visible = false;
};

// The group's header band: shown unless switched off.
class TLqHeaderMargin : public TLqMargin {
public:
    explicit TLqHeaderMargin(TCustomLqListview* owner) : TLqMargin(owner) { m_visible = true; }
};

// The group's footer band: a caption and an image, laid out by a paint information of
// its own when it has one, else by the bottom margin's paint information of the
// control's group paint information.
class TCustomLqFooterMargin : public TLqMargin {
public:
    explicit TCustomLqFooterMargin(TCustomLqListview* owner);
    ~TCustomLqFooterMargin() override;

    // As TLqMargin's; from a footer margin the Caption too.
    void Assign(fw::TPersistent* source) override;

    // The margin's own paint information (owned), or none.
    TLqPaintInfoBaseGroup* PaintInfo() const { return m_paint_info.get(); }
    // Takes the object over and frees the one held before.
    void SetPaintInfo(TLqPaintInfoBaseGroup* info);
    // The paint information the footer's values live in: its own, else the control's
    // group bottom margin's; none when neither exists.
    TLqPaintInfoBaseGroup* EffectivePaintInfo() const;

    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    int ImageIndex() const { return m_image_index; }
    void SetImageIndex(int value);
    int ImageOverlayIndex() const { return m_image_overlay_index; }
    void SetImageOverlayIndex(int value);

    // Kept in the effective paint information (defaults without one).
    fw::TAlignment Alignment() const;
    void SetAlignment(fw::TAlignment value);
    int CaptionIndent() const;
    void SetCaptionIndent(int value);
    int CaptionLines() const;
    void SetCaptionLines(int value);
    int ImageIndent() const;
    void SetImageIndent(int value);
    TLqCommonVAlignment VAlignment() const;
    void SetVAlignment(TLqCommonVAlignment value);

private:
    QString m_caption;
    int m_image_index = -1;
    int m_image_overlay_index = -1;
    std::unique_ptr<TLqPaintInfoBaseGroup> m_paint_info;
};

class TLqFooterMargin : public TCustomLqFooterMargin {
public:
    using TCustomLqFooterMargin::TCustomLqFooterMargin;
};

// ---- Groups ----------------------------------------------------------------------------------

class TLqPaintInfoBaseGroup : public TLqPaintInfoBasic {
public:
    explicit TLqPaintInfoBaseGroup(TCustomLqListview* owner);
    ~TLqPaintInfoBaseGroup() override;

    // The basic values; from a group paint information also the band, Expandable and
    // ExpandImageIndent, and each margin assigned from the source's (the margin objects
    // stay this object's own).
    void Assign(fw::TPersistent* source) override;

    bool BandBlended() const { return m_band_blended; }
    fw::TColor BandColor() const { return m_band_color; }
    fw::TColor BandColorFade() const { return m_band_color_fade; }
    bool BandEnabled() const { return m_band_enabled; }
    bool BandFullWidth() const { return m_band_full_width; }
    int BandIndent() const { return m_band_indent; }
    int BandLength() const { return m_band_length; }
    int BandMargin() const { return m_band_margin; }
    uint8_t BandRadius() const { return m_band_radius; }
    int BandThickness() const { return m_band_thickness; }
    bool Expandable() const { return m_expandable; }
    bool Expanded() const { return m_expanded; }
    int ExpandImageIndent() const { return m_expand_image_indent; }

    void SetBandBlended(bool value) { set(m_band_blended, value); }
    void SetBandColor(fw::TColor value) { set(m_band_color, value); }
    void SetBandColorFade(fw::TColor value) { set(m_band_color_fade, value); }
    void SetBandEnabled(bool value) { set(m_band_enabled, value); }
    void SetBandFullWidth(bool value) { set(m_band_full_width, value); }
    void SetBandIndent(int value) { set(m_band_indent, value); }
    void SetBandLength(int value) { set(m_band_length, value); }
    void SetBandMargin(int value) { set(m_band_margin, value); }
    void SetBandRadius(uint8_t value) { set(m_band_radius, value); }
    void SetBandThickness(int value) { set(m_band_thickness, value); }
    // Switching it off expands every group of the control first.
    void SetExpandable(bool value);
    void SetExpanded(bool value) { m_expanded = value; }
    void SetExpandImageIndent(int value) { set(m_expand_image_indent, value); }

    TCustomLqFooterMargin* MarginBottom() const { return m_margin_bottom.get(); }
    TLqMargin* MarginLeft() const { return m_margin_left.get(); }
    TLqMargin* MarginRight() const { return m_margin_right.get(); }
    TLqMargin* MarginTop() const { return m_margin_top.get(); }
    // Each takes a different object over and frees the one held before.
    void SetMarginBottom(TCustomLqFooterMargin* margin);
    void SetMarginLeft(TLqMargin* margin);
    void SetMarginRight(TLqMargin* margin);
    void SetMarginTop(TLqMargin* margin);

private:
    bool m_band_blended = true;
    fw::TColor m_band_color = 0xFF0000;
    fw::TColor m_band_color_fade = fw::clWindow;
    bool m_band_enabled = true;
    bool m_band_full_width = false;
    int m_band_indent = 0;
    int m_band_length = 300;
    int m_band_margin = 2;
    uint8_t m_band_radius = 4;
    int m_band_thickness = 3;
    bool m_expandable = true;
    bool m_expanded = true;
    int m_expand_image_indent = 4;
    std::unique_ptr<TCustomLqFooterMargin> m_margin_bottom;
    std::unique_ptr<TLqMargin> m_margin_left;
    std::unique_ptr<TLqMargin> m_margin_right;
    std::unique_ptr<TLqMargin> m_margin_top;
};

class TLqPaintInfoGroup : public TLqPaintInfoBaseGroup {
public:
    using TLqPaintInfoBaseGroup::TLqPaintInfoBaseGroup;
};

// ---- Built-in bitmaps ------------------------------------------------------------------------

// The group expand and collapse buttons (9 x 9) and the column sort arrows (16 x 16).
// Each is drawn on first read, on magenta (0xFF00FF) as its transparent colour, unless
// a bitmap was assigned before.
class TLqGlobalImageManager : public TLqOwnedPersistent {
public:
    explicit TLqGlobalImageManager(TCustomLqListview* owner);
    ~TLqGlobalImageManager() override;

    fw::TBitmap* GroupExpandButton();
    fw::TBitmap* GroupCollapseButton();
    fw::TBitmap* ColumnSortUp();
    fw::TBitmap* ColumnSortDown();
    // Each copies the given bitmap into its own.
    void SetGroupExpandButton(fw::TBitmap* bitmap) { m_group_expand_button->Assign(bitmap); }
    void SetGroupCollapseButton(fw::TBitmap* bitmap) { m_group_collapse_button->Assign(bitmap); }
    void SetColumnSortUp(fw::TBitmap* bitmap) { m_column_sort_up->Assign(bitmap); }
    void SetColumnSortDown(fw::TBitmap* bitmap) { m_column_sort_down->Assign(bitmap); }

private:
    std::unique_ptr<fw::TBitmap> m_group_expand_button;
    std::unique_ptr<fw::TBitmap> m_group_collapse_button;
    std::unique_ptr<fw::TBitmap> m_column_sort_up;
    std::unique_ptr<fw::TBitmap> m_column_sort_down;
};

// The transparent colour of the built-in bitmaps.
constexpr fw::TColor kLqGlobalImageTransparentColor = 0xFF00FF;

}

#endif
