#include "listview/common/check_bound_manager.h"

#include "listview/common/drawing.h"

namespace vistrel::listview {

TLqCommonCheckBoundManager::TLqCommonCheckBoundManager() = default;

TLqCommonCheckBoundManager::~TLqCommonCheckBoundManager()
{
    Clear();
}

TLqCommonCheckBound* TLqCommonCheckBoundManager::FindBound(int Size) const
{
    for (int i = 0; i < m_list.Count(); ++i) {
        auto* const bound = static_cast<TLqCommonCheckBound*>(m_list.Items(i));
        if (bound->m_size == Size)
            return bound;
    }
    return nullptr;
}

fw::TRect TLqCommonCheckBoundManager::CheckBound(int Size)
{
    TLqCommonCheckBound* bound = FindBound(Size);
    if (bound == nullptr) {
        auto entry = std::make_unique<TLqCommonCheckBound>();
        entry->m_size = Size;
        entry->m_bounds = GlyphFontCellSize(Size);
        bound = entry.get();
        m_list.Add(entry.release());
    }
    return bound->m_bounds;
}

TLqCommonCheckBound* TLqCommonCheckBoundManager::GetBound(int Index) const
{
    return static_cast<TLqCommonCheckBound*>(m_list.Items(Index));
}

void TLqCommonCheckBoundManager::Clear()
{
    m_list.Clear();
}

}
