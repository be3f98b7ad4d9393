#include "listview/paint_info.h"

#include "listview/groups.h"
#include "listview/listview.h"

#include <algorithm>
#include <cstdint>

using namespace fw;

namespace vistrel::listview {

// ---- TLqPaintInfoBasic -----------------------------------------------------------------------

void TLqPaintInfoBasic::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TLqPaintInfoBasic*>(source);
    if (other == nullptr) {
        TLqOwnedPersistent::Assign(source);
        return;
    }
    m_alignment = other->m_alignment;
    m_border = other->m_border;
    m_border_color = other->m_border_color;
    m_caption_indent = other->m_caption_indent;
    m_caption_lines = other->m_caption_lines;
    m_check_flat = other->m_check_flat;
    m_check_indent = other->m_check_indent;
    m_check_size = other->m_check_size;
    m_check_type = other->m_check_type;
    m_image_indent = other->m_image_indent;
    m_valignment = other->m_valignment;
}

void TLqPaintInfoBasic::Invalidate(bool immediate_update)
{
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, immediate_update);
}

void TLqPaintInfoBasic::invalidate_control()
{
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, false);
}

// ---- Margins ---------------------------------------------------------------------------------

void TLqMargin::Assign(TPersistent* source)
{
    auto* other = dynamic_cast<TLqMargin*>(source);
    if (other == nullptr) {
        TLqOwnedPersistent::Assign(source);
        return;
    }
    m_size = other->m_size;
    m_visible = other->m_visible;
}

void TLqMargin::SetSize(int value)
{
    value = std::max(value, 0);
    if (value == m_size)
        return;
    m_size = value;
    rebuild_groups();
}

void TLqMargin::SetVisible(bool value)
{
    if (value == m_visible)
        return;
    m_visible = value;
    rebuild_groups();
}

int TLqMargin::RuntimeSize() const
{
    const TCustomLqListview* owner = OwnerListview();
    return m_visible && owner != nullptr && owner->ShowGroupMargins() ? m_size : 0;
}

void TLqMargin::rebuild_groups()
{
    // The paint informations are made before the control's groups.
    if (OwnerListview() != nullptr && OwnerListview()->Groups() != nullptr)
        OwnerListview()->Groups()->Rebuild(false);
}

TCustomLqFooterMargin::TCustomLqFooterMargin(TCustomLqListview* owner) : TLqMargin(owner)
{
}

TCustomLqFooterMargin::~TCustomLqFooterMargin() = default;

void TCustomLqFooterMargin::Assign(TPersistent* source)
{
    TLqMargin::Assign(source);
    if (auto* other = dynamic_cast<TCustomLqFooterMargin*>(source))
        m_caption = other->m_caption;
}

void TCustomLqFooterMargin::SetPaintInfo(TLqPaintInfoBaseGroup* info)
{
    if (info != m_paint_info.get())
        m_paint_info.reset(info);
}

TLqPaintInfoBaseGroup* TCustomLqFooterMargin::EffectivePaintInfo() const
{
    if (m_paint_info)
        return m_paint_info.get();
    const TCustomLqListview* owner = OwnerListview();
    if (owner == nullptr || owner->GetPaintInfoGroup() == nullptr)
        return nullptr;
    TCustomLqFooterMargin* bottom = owner->GetPaintInfoGroup()->MarginBottom();
    return bottom != nullptr ? bottom->PaintInfo() : nullptr;
}

void TCustomLqFooterMargin::SetCaption(const QString& value)
{
    if (value == m_caption)
        return;
    m_caption = value;
    rebuild_groups();
}

void TCustomLqFooterMargin::SetImageIndex(int value)
{
    if (value == m_image_index)
        return;
    m_image_index = value;
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, false);
}

void TCustomLqFooterMargin::SetImageOverlayIndex(int value)
{
    if (value == m_image_overlay_index)
        return;
    m_image_overlay_index = value;
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, false);
}

namespace {

// The values of a paint information without any: the defaults of a new one.
const TLqPaintInfoBasic& default_paint_info()
{
    static const TLqPaintInfoBasic defaults(nullptr);
    return defaults;
}

}

TAlignment TCustomLqFooterMargin::Alignment() const
{
    const TLqPaintInfoBasic* info = EffectivePaintInfo();
    return (info != nullptr ? *info : default_paint_info()).Alignment();
}

void TCustomLqFooterMargin::SetAlignment(TAlignment value)
{
    TLqPaintInfoBaseGroup* info = EffectivePaintInfo();
    if (info == nullptr || info->Alignment() == value)
        return;
    info->SetAlignment(value);
    rebuild_groups();
}

int TCustomLqFooterMargin::CaptionIndent() const
{
    const TLqPaintInfoBasic* info = EffectivePaintInfo();
    return (info != nullptr ? *info : default_paint_info()).CaptionIndent();
}

void TCustomLqFooterMargin::SetCaptionIndent(int value)
{
    if (TLqPaintInfoBaseGroup* info = EffectivePaintInfo())
        info->SetCaptionIndent(value);
}

int TCustomLqFooterMargin::CaptionLines() const
{
    const TLqPaintInfoBasic* info = EffectivePaintInfo();
    return (info != nullptr ? *info : default_paint_info()).CaptionLines();
}

void TCustomLqFooterMargin::SetCaptionLines(int value)
{
    if (TLqPaintInfoBaseGroup* info = EffectivePaintInfo())
        info->SetCaptionLines(value);
}

int TCustomLqFooterMargin::ImageIndent() const
{
    const TLqPaintInfoBasic* info = EffectivePaintInfo();
    return (info != nullptr ? *info : default_paint_info()).ImageIndent();
}

void TCustomLqFooterMargin::SetImageIndent(int value)
{
    if (TLqPaintInfoBaseGroup* info = EffectivePaintInfo())
        info->SetImageIndent(value);
}

TLqCommonVAlignment TCustomLqFooterMargin::VAlignment() const
{
    const TLqPaintInfoBasic* info = EffectivePaintInfo();
    return (info != nullptr ? *info : default_paint_info()).VAlignment();
}

void TCustomLqFooterMargin::SetVAlignment(TLqCommonVAlignment value)
{
    if (TLqPaintInfoBaseGroup* info = EffectivePaintInfo())
        info->SetVAlignment(value);
}

// ---- TLqPaintInfoBaseGroup -------------------------------------------------------------------

TLqPaintInfoBaseGroup::TLqPaintInfoBaseGroup(TCustomLqListview* owner)
    : TLqPaintInfoBasic(owner), m_margin_bottom(std::make_unique<TLqFooterMargin>(owner)),
      m_margin_left(std::make_unique<TLqMargin>(owner)),
      m_margin_right(std::make_unique<TLqMargin>(owner)),
      m_margin_top(std::make_unique<TLqHeaderMargin>(owner))
{
}

TLqPaintInfoBaseGroup::~TLqPaintInfoBaseGroup()
{
    m_margin_bottom.reset();
    m_margin_left.reset();
    m_margin_right.reset();
    m_margin_top.reset();
}

void TLqPaintInfoBaseGroup::Assign(TPersistent* source)
{
    TLqPaintInfoBasic::Assign(source);
    auto* other = dynamic_cast<TLqPaintInfoBaseGroup*>(source);
    if (other == nullptr)
        return;
    m_band_blended = other->m_band_blended;
    m_band_color = other->m_band_color;
    m_band_color_fade = other->m_band_color_fade;
    m_band_enabled = other->m_band_enabled;
    m_band_full_width = other->m_band_full_width;
    m_band_indent = other->m_band_indent;
    m_band_length = other->m_band_length;
    m_band_margin = other->m_band_margin;
    m_band_radius = other->m_band_radius;
    m_band_thickness = other->m_band_thickness;
    m_expandable = other->m_expandable;
    m_expand_image_indent = other->m_expand_image_indent;
    m_margin_bottom->Assign(other->m_margin_bottom.get());
    m_margin_left->Assign(other->m_margin_left.get());
    m_margin_right->Assign(other->m_margin_right.get());
    m_margin_top->Assign(other->m_margin_top.get());
}

void TLqPaintInfoBaseGroup::SetExpandable(bool value)
{
    if (value == m_expandable)
        return;
    if (!value && OwnerListview() != nullptr && OwnerListview()->Groups() != nullptr)
        OwnerListview()->Groups()->ExpandAll();
    m_expandable = value;
    Invalidate(false);
}

namespace {

template <typename Margin, typename Given>
void replace_margin(std::unique_ptr<Margin>& held, Given* margin)
{
    if (margin != nullptr && margin != held.get())
        held.reset(margin);
}

}

void TLqPaintInfoBaseGroup::SetMarginBottom(TCustomLqFooterMargin* margin)
{
    replace_margin(m_margin_bottom, margin);
}

void TLqPaintInfoBaseGroup::SetMarginLeft(TLqMargin* margin)
{
    replace_margin(m_margin_left, margin);
}

void TLqPaintInfoBaseGroup::SetMarginRight(TLqMargin* margin)
{
    replace_margin(m_margin_right, margin);
}

void TLqPaintInfoBaseGroup::SetMarginTop(TLqMargin* margin)
{
    replace_margin(m_margin_top, margin);
}

// ---- TLqGlobalImageManager -------------------------------------------------------------------

namespace {

// Pixels as ScanLine holds them: 0x00RRGGBB.
constexpr uint32_t kMagentaPixel = 0xFF00FF;
constexpr uint32_t kFramePixel = 0x808080;
constexpr uint32_t kFacePixel = 0xFFFFFF;
constexpr uint32_t kGlyphPixel = 0x000000;

using PixelRule = uint32_t (*)(int x, int y);

// Fills a new bitmap of the size pixel by pixel and makes magenta its see-through
// colour; 4 bits per pixel hold every colour used here.
void draw_image(TBitmap* bitmap, int size, PixelRule rule)
{
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(size, size);
    for (int y = 0; y < size; ++y) {
        auto* row = static_cast<uint32_t*>(bitmap->ScanLine(y));
        for (int x = 0; x < size; ++x)
            row[x] = rule(x, y);
    }
    bitmap->SetPixelFormat(pf4bit);
    bitmap->SetTransparentColor(kLqGlobalImageTransparentColor);
    bitmap->SetTransparent(true);
}

// A 9 x 9 button: grey frame, white face, a black bar across the middle and, for the
// plus, one down the middle.
uint32_t button_pixel(int x, int y, bool plus)
{
    if (x == 0 || y == 0 || x == 8 || y == 8)
        return kFramePixel;
    const bool across = y == 4 && x >= 2 && x <= 6;
    const bool down = plus && x == 4 && y >= 2 && y <= 6;
    return across || down ? kGlyphPixel : kFacePixel;
}

// A 16 x 16 arrow: a solid triangle seven rows high, its point at the top (up) or at
// the bottom (down), on magenta.
uint32_t arrow_pixel(int x, int y, bool up)
{
    constexpr int kTop = 5;
    constexpr int kRows = 7;
    const int row = up ? y - kTop : kTop + kRows - 1 - y;
    if (row < 0 || row >= kRows)
        return kMagentaPixel;
    return x >= 7 - row && x <= 8 + row ? kFramePixel : kMagentaPixel;
}

TBitmap* lazily_drawn(std::unique_ptr<TBitmap>& bitmap, int size, PixelRule rule)
{
    if (bitmap->Empty())
        draw_image(bitmap.get(), size, rule);
    return bitmap.get();
}

}

TLqGlobalImageManager::TLqGlobalImageManager(TCustomLqListview* owner)
    : TLqOwnedPersistent(owner), m_group_expand_button(std::make_unique<TBitmap>()),
      m_group_collapse_button(std::make_unique<TBitmap>()),
      m_column_sort_up(std::make_unique<TBitmap>()), m_column_sort_down(std::make_unique<TBitmap>())
{
}

TLqGlobalImageManager::~TLqGlobalImageManager()
{
    m_group_expand_button.reset();
    m_group_collapse_button.reset();
    m_column_sort_up.reset();
    m_column_sort_down.reset();
}

TBitmap* TLqGlobalImageManager::GroupExpandButton()
{
    return lazily_drawn(m_group_expand_button, 9,
                        [](int x, int y) { return button_pixel(x, y, true); });
}

TBitmap* TLqGlobalImageManager::GroupCollapseButton()
{
    return lazily_drawn(m_group_collapse_button, 9,
                        [](int x, int y) { return button_pixel(x, y, false); });
}

TBitmap* TLqGlobalImageManager::ColumnSortUp()
{
    return lazily_drawn(m_column_sort_up, 16, [](int x, int y) { return arrow_pixel(x, y, true); });
}

TBitmap* TLqGlobalImageManager::ColumnSortDown()
{
    return lazily_drawn(m_column_sort_down, 16,
                        [](int x, int y) { return arrow_pixel(x, y, false); });
}

}
