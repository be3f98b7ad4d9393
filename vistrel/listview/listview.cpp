#include "listview/listview.h"

#include "listview/groups.h"
#include "listview/items.h"
#include "listview/layout.h"
#include "listview/managers.h"
#include "listview/selection.h"
#include "listview/stream_io.h"
#include "platform/clipboard.h"

#include <mutex>

using namespace fw;

namespace vistrel::listview {

namespace {

constexpr int kStreamVersion = 6;

class UpdateGuard {
public:
    explicit UpdateGuard(TCustomLqListview* owner) : m_owner(owner) { m_owner->BeginUpdate(); }
    ~UpdateGuard() noexcept(false) { m_owner->EndUpdate(true); }
    UpdateGuard(const UpdateGuard&) = delete;
    UpdateGuard& operator=(const UpdateGuard&) = delete;

private:
    TCustomLqListview* m_owner;
};

}

TCustomLqListview::TCustomLqListview(TComponent* owner) : TLqCommonCanvasControl(owner)
{
    m_gesture = std::make_unique<TLqGestureManager>(this);
    m_group_font = std::make_unique<TFont>();
    m_old_group_font_change = m_group_font->OnChange;
    m_group_font->OnChange = [this](TObject* sender) { group_font_changed(sender); };
    m_paint_info_group.reset(CreateGroupPaintInfo());
    m_paint_info_item.reset(CreateItemPaintInfo());
    m_paint_info_column.reset(CreateColumnPaintInfo());
    m_paint_info_group->MarginBottom()->SetPaintInfo(new TLqPaintInfoGroup(this));
    m_hot_track = std::make_unique<TLqHotTrackManager>(this);
    SetParentColor(false);
    Brush()->SetColor(clWindow);
    SetColor(clWindow);
    SetBevelInner(bvLowered);
    TControlStyle style = ControlStyle();
    style.Exclude(csAcceptsControls).Exclude(csCaptureMouse).Exclude(csOpaque);
    SetControlStyle(style);
    m_background = std::make_unique<TLqBackgroundManager>(this);
    m_scrollbars = std::make_unique<TLqScrollbarManager>(this);
    m_drop_target = TInterfacePtr<IUnknown>::Adopt(new TLqDropTargetManager(this));
    m_drag_rect = std::make_unique<TLqDragRectManager>(this);
    m_drag_manager = std::make_unique<TLqOLEDragManager>(this);
    m_check_manager = std::make_unique<TLqCheckManager>(this);
    m_selection = std::make_unique<TLqSelectionManager>(this);
    m_groups.reset(CreateGroups());
    m_header = std::make_unique<TLqHeader>(this);
    m_old_header_font_change = m_header->Font()->OnChange;
    m_header->Font()->OnChange = [this](TObject* sender) { header_font_changed(sender); };
    m_edit_manager = std::make_unique<TLqEditManager>(this);
    m_edit_manager->Font()->Assign(Font());
    m_global_images = std::make_unique<TLqGlobalImageManager>(this);
    m_hint_info = std::make_unique<TLqHintInfo>(this);
    m_cell_sizes = std::make_unique<TLqCellSizes>(this);
    m_sort = std::make_unique<TLqSortManager>(this);
    SetTabStop(true);
    m_group_collapse_button = std::make_unique<TBitmap>();
    m_group_expand_button = std::make_unique<TBitmap>();
    m_items = std::make_unique<TLqGlobalItems>(this);
    m_incremental_search = std::make_unique<TLqIncrementalSearchManager>(this);
    m_scratch_canvas = std::make_unique<TControlCanvas>();
    m_scratch_canvas->SetControl(this);
}

void TCustomLqListview::BeforeDestruction()
{
    TLqCommonCanvasControl::BeforeDestruction();
    // The groups and columns go while the control is whole, with their notifications;
    // the dispatchers that stay silent while destroying see csDestroying set.
    m_groups->Clear(true);
    m_header->Columns()->Clear(true);
}

TCustomLqListview::~TCustomLqListview()
{
    m_groups->Clear(true);
    m_header->Columns()->Clear(true);
    DestroyHandle();
    m_drop_target.reset();
    m_gesture.reset();
    m_items.reset();
    m_group_expand_button.reset();
    m_group_collapse_button.reset();
    m_background.reset();
    m_scrollbars.reset();
    m_drag_rect.reset();
    m_drag_manager.reset();
    m_check_manager.reset();
    m_selection.reset();
    m_header.reset();
    m_edit_manager.reset();
    m_global_images.reset();
    m_cell_sizes.reset();
    m_group_font.reset();
    m_paint_info_column.reset();
    m_paint_info_group.reset();
    m_paint_info_item.reset();
    m_hot_track.reset();
    m_hint_info.reset();
    m_sort.reset();
    m_incremental_search.reset();
    m_scratch_canvas.reset();
    m_groups.reset();
}

TLqPaintInfoColumn* TCustomLqListview::CreateColumnPaintInfo()
{
    return new TLqPaintInfoColumn(this);
}

TLqPaintInfoGroup* TCustomLqListview::CreateGroupPaintInfo()
{
    return new TLqPaintInfoGroup(this);
}

TLqGroups* TCustomLqListview::CreateGroups()
{
    return new TLqGroups(this);
}

TLqPaintInfoItem* TCustomLqListview::CreateItemPaintInfo()
{
    return new TLqPaintInfoItem(this);
}

TLqPaintInfoColumn* TCustomLqListview::GetPaintInfoColumn() const
{
    return m_paint_info_column.get();
}

TLqPaintInfoGroup* TCustomLqListview::GetPaintInfoGroup() const
{
    return m_paint_info_group.get();
}

TLqPaintInfoItem* TCustomLqListview::GetPaintInfoItem() const
{
    return m_paint_info_item.get();
}

void TCustomLqListview::SetPaintInfoColumn(TLqPaintInfoColumn* info)
{
    if (info != m_paint_info_column.get())
        m_paint_info_column.reset(info);
}

void TCustomLqListview::SetPaintInfoGroup(TLqPaintInfoGroup* info)
{
    if (info != m_paint_info_group.get())
        m_paint_info_group.reset(info);
}

void TCustomLqListview::SetPaintInfoItem(TLqPaintInfoItem* info)
{
    if (info != m_paint_info_item.get())
        m_paint_info_item.reset(info);
}

void TCustomLqListview::SetBackGround(TLqBackgroundManager* manager)
{
    if (manager != m_background.get())
        m_background.reset(manager);
}

void TCustomLqListview::SetSelection(TLqSelectionManager* selection)
{
    if (selection != m_selection.get())
        m_selection.reset(selection);
}

void TCustomLqListview::SetGroupCollapseButton(TBitmap* bitmap)
{
    m_group_collapse_button->Assign(bitmap);
    m_group_collapse_button->SetPixelFormat(pf32bit);
}

void TCustomLqListview::SetGroupExpandButton(TBitmap* bitmap)
{
    m_group_expand_button->Assign(bitmap);
    m_group_expand_button->SetPixelFormat(pf32bit);
}

TCanvas* TCustomLqListview::ScratchCanvas()
{
    return HandleAllocated() ? m_scratch_canvas.get() : nullptr;
}

TLqHintType TCustomLqListview::HintType() const
{
    return m_hint_info->HintType();
}

void TCustomLqListview::SetHintType(TLqHintType value)
{
    m_hint_info->SetHintType(value);
}

void TCustomLqListview::set_images(TCustomImageList*& field, TCustomImageList* list)
{
    if (field == list)
        return;
    field = list;
    SafeInvalidateRect(nullptr, false);
}

void TCustomLqListview::SetShowGroupMargins(bool value)
{
    if (value == m_show_group_margins)
        return;
    m_show_group_margins = value;
    DoUpdate();
}

void TCustomLqListview::SetShowImages(bool value)
{
    if (value == m_show_images)
        return;
    m_show_images = value;
    Invalidate();
}

void TCustomLqListview::SetShowInactive(bool value)
{
    if (value == m_show_inactive)
        return;
    m_show_inactive = value;
    SafeInvalidateRect(nullptr, true);
}

void TCustomLqListview::SetView(TLqListStyle value)
{
    if (value == m_view)
        return;
    m_view = value;
    m_groups->Rebuild(true);
    m_wheel_mouse_default_scroll = IsVertView() ? edwsVert : edwsHorz;
    DoViewChange();
}

bool TCustomLqListview::IsThumbnailView() const
{
    return m_view == elsThumbnail || m_view == elsFilmStrip;
}

bool TCustomLqListview::IsVertView() const
{
    return m_view != elsList && m_view != elsFilmStrip;
}

bool TCustomLqListview::ScrollHeaderHorz() const
{
    return !(m_header->ShowInAllViews() && m_view == elsList);
}

bool TCustomLqListview::HeaderInView() const
{
    return m_view == elsReport || m_view == elsGrid || m_header->ShowInAllViews();
}

int TCustomLqListview::HeaderHeightInView() const
{
    return HeaderInView() && m_header->Visible() ? m_header->Height() : 0;
}

bool TCustomLqListview::IsGrouped() const
{
    return m_paint_info_group->MarginTop()->Visible();
}

TRect TCustomLqListview::ClientInViewportCoords() const
{
    TRect client = ClientRect();
    client.Top += HeaderHeightInView();
    return m_scrollbars->MapWindowRectToViewRect(client);
}

TLqItem* TCustomLqListview::TopItem() const
{
    return m_groups->FirstItemInRect(m_scrollbars->MapWindowRectToViewRect(ClientRect()));
}

void TCustomLqListview::AutoFitAllCellCaptions(bool /*visible_only*/)
{
    // The report view fits its columns to their contents, which comes with the columns'
    // own work; the only-visible choice is theirs.
    if (m_view != elsSmallIcon && m_view != elsList && m_view != elsGrid)
        return;
    UpdateGuard guard(this);
    m_cell_sizes->ForView(m_view)->SetAutoSizeCaption(true);
}

void TCustomLqListview::ClearCutMarks()
{
    for (int g = 0; g < m_groups->Count(); ++g)
        for (int i = 0; i < m_groups->Groups(g)->ItemCount(); ++i)
            m_groups->Groups(g)->Item(i)->SetCut(false);
}

void TCustomLqListview::MarkSelectedAsCut()
{
    ClearCutMarks();
    for (TLqItem* item = m_groups->FirstVisibleItem(); item != nullptr;
         item = m_groups->NextVisibleItem(item))
        if (item->Selected())
            item->SetCut(true);
}

void TCustomLqListview::CopyToClipboard()
{
}

void TCustomLqListview::CutToClipboard()
{
    bool mark_as_cut = false;
    bool handled = true;
    DoClipboardCut(mark_as_cut, handled);
    if (mark_as_cut && handled)
        MarkSelectedAsCut();
}

void TCustomLqListview::PasteFromClipboard()
{
    bool handled = false;
    DoClipboardPaste(handled);
}

void TCustomLqListview::SaveToStream(TStream* S)
{
    stream_io::WriteInt32(S, kStreamVersion);
    stream_io::WriteByte(S, static_cast<uint8_t>(m_view));
    m_groups->SaveToStream(S, kStreamVersion);
    m_header->SaveToStream(S, kStreamVersion);
}

void TCustomLqListview::LoadFromStream(TStream* S)
{
    UpdateGuard guard(this);
    const int version = stream_io::ReadInt32(S);
    if (version <= 0)
        return;
    const uint8_t view = stream_io::ReadByte(S);
    if (view >= kLqListStyleCount)
        throw EReadError(QStringLiteral("Stream read error"));
    SetView(static_cast<TLqListStyle>(view));
    m_groups->LoadFromStream(S, version);
    m_header->LoadFromStream(S, version);
    m_groups->Rebuild(true);
}

void TCustomLqListview::SaveToFile(const QString& file_name, uint16_t mode)
{
    TWideFileStream stream(file_name, mode);
    SaveToStream(&stream);
}

void TCustomLqListview::LoadFromFile(const QString& file_name, uint16_t mode)
{
    TWideFileStream stream(file_name, mode);
    LoadFromStream(&stream);
}

void TCustomLqListview::TakeFocus()
{
    if (!Focused() && CanFocus() && !ComponentState().Contains(csDesigning) && HandleAllocated())
        SetFocus();
}

void TCustomLqListview::DoUpdate()
{
    if (Destroying())
        return;
    m_groups->Rebuild(true);
    m_scrollbars->ReCalculateScrollbars(true, false);
    const TLqControlStates pending = m_states;
    m_states.Exclude(ebcsColumnStructureUpdatePending)
        .Exclude(ebcsGroupStructureUpdatePending)
        .Exclude(ebcsItemStructureUpdatePending);
    if (pending.Contains(ebcsColumnStructureUpdatePending))
        DoColumnStructureChange();
    if (pending.Contains(ebcsGroupStructureUpdatePending))
        DoGroupStructureChange();
    if (pending.Contains(ebcsItemStructureUpdatePending))
        DoItemStructureChange();
}

void TCustomLqListview::CreateWnd()
{
    TLqCommonCanvasControl::CreateWnd();
    m_window_width = Width();
    m_window_height = Height();
    ApplyBorderStyles();
    DoUpdate();
    m_drag_manager->SetRegistered(m_drag_manager->Enabled());
    m_header->DragManager()->SetRegistered(m_header->DragManager()->Enabled());
}

void TCustomLqListview::Loaded()
{
    TLqCommonCanvasControl::Loaded();
    DoUpdate();
}

void TCustomLqListview::Notification(TComponent* component, TOperation operation)
{
    TLqCommonCanvasControl::Notification(component, operation);
    if (operation != opRemove)
        return;
    for (TCustomImageList** list :
         {&m_images_group, &m_images_ex_large, &m_images_large, &m_images_small, &m_images_state})
        if (*list == component)
            *list = nullptr;
    if (m_header && m_header->Images() == component)
        m_header->SetImages(nullptr);
}

void TCustomLqListview::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        // The paint routine draws all of the background.
        message.Result = 1;
        return;
    case CM_FONTCHANGED:
        TLqCommonCanvasControl::Dispatch(message);
        m_edit_manager->Font()->Assign(Font());
        m_groups->Rebuild(true);
        return;
    case CM_PARENTFONTCHANGED:
        TLqCommonCanvasControl::Dispatch(message);
        if (ParentFont() && Parent() != nullptr) {
            m_states.Include(ebcsSettingParentFont);
            struct Exclude {
                TLqControlStates& states;
                ~Exclude() { states.Exclude(ebcsSettingParentFont); }
            } exclude{m_states};
            m_group_font->Assign(Parent()->Font());
            m_header->Font()->Assign(Parent()->Font());
            m_edit_manager->Font()->Assign(Parent()->Font());
        }
        m_groups->Rebuild(true);
        return;
    default:
        if (!dispatch_input(message))
            TLqCommonCanvasControl::Dispatch(message);
        return;
    }
}

void TCustomLqListview::group_font_changed(TObject*)
{
    if (!m_states.Contains(ebcsSettingParentFont))
        SetParentFont(false);
    if (m_groups)
        m_groups->Rebuild(true);
}

void TCustomLqListview::header_font_changed(TObject*)
{
    if (!m_states.Contains(ebcsSettingParentFont))
        SetParentFont(false);
    if (m_groups)
        m_groups->Rebuild(true);
}

namespace {
UINT g_header_clipboard_format = 0;
}

UINT LqHeaderClipboardFormat()
{
    return g_header_clipboard_format;
}

void InitializeListviewUnit()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // The common-controls version is a constant and OLE needs no start here; the
        // header's split cursor is the framework's cursor 768.
        g_header_clipboard_format =
            RegisterClipboardFormatW(reinterpret_cast<LPCWSTR>(u"LqListview.Header"));
        RegisterClass(&ClassOf<TLqGroup>());
        RegisterClass(LqItemClass<TLqGroupVirtual>());
        RegisterClass(LqItemClass<TLqGroupInterfaced>());
        RegisterClass(LqItemClass<TLqGroupStored>());
        RegisterClass(&ClassOf<TLqItem>());
        RegisterClass(LqItemClass<TLqItemVirtual>());
        RegisterClass(LqItemClass<TLqItemInterfaced>());
        RegisterClass(LqItemClass<TLqItemStored>());
    });
}

}
