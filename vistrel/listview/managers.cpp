#include "listview/managers.h"

#include "listview/groups.h"
#include "listview/listview.h"

using namespace fw;

namespace vistrel::listview {

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
