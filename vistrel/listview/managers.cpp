#include "listview/managers.h"

#include "listview/groups.h"
#include "listview/listview.h"

using namespace fw;

namespace vistrel::listview {

void TLqPaintInfoBasic::Invalidate(bool immediate_update)
{
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, immediate_update);
}

void TLqPaintInfoItem::SetTileDetailCount(int value)
{
    if (value == m_tile_detail_count)
        return;
    m_tile_detail_count = value;
    if (OwnerListview() != nullptr)
        OwnerListview()->SafeInvalidateRect(nullptr, false);
}

TLqMargin::~TLqMargin() = default;

TLqPaintInfoGroup::TLqPaintInfoGroup(TCustomLqListview* owner)
    : TLqPaintInfoBasic(owner), m_margin_bottom(std::make_unique<TLqMargin>(owner)),
      m_margin_left(std::make_unique<TLqMargin>(owner)),
      m_margin_right(std::make_unique<TLqMargin>(owner)),
      m_margin_top(std::make_unique<TLqMargin>(owner, true))
{
}

TLqPaintInfoGroup::~TLqPaintInfoGroup()
{
    m_margin_bottom.reset();
    m_margin_left.reset();
    m_margin_right.reset();
    m_margin_top.reset();
}

void TLqPaintInfoGroup::SetExpandable(bool value)
{
    if (value == m_expandable)
        return;
    if (!value && OwnerListview() != nullptr && OwnerListview()->Groups() != nullptr)
        OwnerListview()->Groups()->ExpandAll();
    m_expandable = value;
    Invalidate(false);
}

TLqEditManager::TLqEditManager(TCustomLqListview* owner)
    : TLqOwnedPersistent(owner), m_font(std::make_unique<TFont>())
{
}

TLqEditManager::~TLqEditManager() = default;

namespace {

// The header's columns: column objects come with the columns' own classes.
class TLqColumns : public TLqCollection {
public:
    using TLqCollection::TLqCollection;
    ~TLqColumns() override { Clear(true); }
};

}

TLqHeader::TLqHeader(TCustomLqListview* owner)
    : TLqOwnedPersistent(owner), m_columns(std::make_unique<TLqColumns>(owner)),
      m_font(std::make_unique<TFont>()),
      m_drag_manager(std::make_unique<TLqDragManagerState>(owner))
{
}

TLqHeader::~TLqHeader() = default;

TLqColumn* TLqHeader::FirstVisibleColumn() const
{
    return nullptr;
}

void TLqHeader::Rebuild(bool)
{
}

void TLqHeader::SaveToStream(TStream* S, int version)
{
    TLqOwnedPersistent::SaveToStream(S, version);
    if (m_stream_columns)
        m_columns->WriteItems(S);
}

void TLqHeader::LoadFromStream(TStream* S, int version)
{
    TLqOwnedPersistent::LoadFromStream(S, version);
    if (m_stream_columns)
        m_columns->ReadItems(S);
}

}
