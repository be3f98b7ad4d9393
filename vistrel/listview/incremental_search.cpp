#include "listview/incremental_search.h"

#include "framework/sysutils.h"
#include "listview/common/object_helpers.h"
#include "listview/groups.h"
#include "listview/items.h"
#include "listview/listview.h"
#include "listview/selection.h"
#include "platform/closure_timer.h"
#include "platform/user_input.h"

#include <algorithm>

using namespace fw;

namespace vistrel::listview {

TLqIncrementalSearchManager::TLqIncrementalSearchManager(TCustomLqListview* owner)
    : TLqOwnedPersistent(owner)
{
}

TLqIncrementalSearchManager::~TLqIncrementalSearchManager()
{
    if (m_state.Contains(eissTimerRunning)) {
        platform::KillClosureTimer(m_timer);
        m_timer = 0;
    }
}

TLqItem* TLqIncrementalSearchManager::first_item() const
{
    if (OwnerListview() == nullptr)
        return nullptr;
    TLqGroups* groups = OwnerListview()->Groups();
    bool forward = m_direction == eisdForward;
    switch (m_item_type) {
    case eisiAll:
        return forward ? groups->FirstItem() : groups->LastItem();
    case eisiInitializedOnly:
        return forward ? groups->FirstInitializedItem() : groups->LastInitializedItem();
    case eisiVisible:
        break;
    }
    return forward ? groups->FirstVisibleItem() : groups->LastVisibleItem();
}

TLqItem* TLqIncrementalSearchManager::next_item(TLqItem* item) const
{
    if (OwnerListview() == nullptr || item == nullptr)
        return nullptr;
    TLqGroups* groups = OwnerListview()->Groups();
    bool forward = m_direction == eisdForward;
    switch (m_item_type) {
    case eisiAll:
        return forward ? groups->NextItem(item) : groups->PrevItem(item);
    case eisiInitializedOnly:
        return forward ? groups->NextInitializedItem(item) : groups->PrevInitializedItem(item);
    case eisiVisible:
        break;
    }
    return forward ? groups->NextVisibleItem(item) : groups->PrevVisibleItem(item);
}

void TLqIncrementalSearchManager::compute_next_search_item()
{
    if (m_search_item == nullptr) {
        m_next_search_item = nullptr;
        return;
    }
    m_next_search_item = next_item(m_search_item);
    if (m_next_search_item == nullptr)
        m_next_search_item = first_item();
}

bool TLqIncrementalSearchManager::matches(TLqItem* item)
{
    int compare_result = 0;
    OwnerListview()->DoIncrementalSearch(item, m_search_buffer, compare_result);
    return compare_result == 0;
}

void TLqIncrementalSearchManager::start_timer()
{
    if (!m_timer_stub)
        m_timer_stub = CreateCallbackStub(this, &TLqIncrementalSearchManager::ResetSearch);
    UINT elapse = static_cast<UINT>(std::max(m_reset_time, 0));
    UINT_PTR id = m_state.Contains(eissTimerRunning) ? m_timer : 0;
    UINT_PTR started = platform::SetClosureTimer(id, elapse, m_timer_stub);
    if (started == 0 && id != 0)
        started = platform::SetClosureTimer(0, elapse, m_timer_stub);
    if (started == 0)
        return;
    m_timer = started;
    m_state.Include(eissTimerRunning);
}

void TLqIncrementalSearchManager::stop_timer()
{
    if (!m_state.Contains(eissTimerRunning))
        return;
    if (!platform::KillClosureTimer(m_timer))
        throw Exception(QStringLiteral("Can not Destroy Incremental Search Timer"));
    m_timer = 0;
    m_state.Exclude(eissTimerRunning);
    FreeCallbackStub(m_timer_stub);
}

void TLqIncrementalSearchManager::ClearSearch()
{
    m_search_item = nullptr;
    m_next_search_item = nullptr;
}

void TLqIncrementalSearchManager::ResetSearch()
{
    m_search_buffer.clear();
    if (m_start != eissLastHit)
        ClearSearch();
    m_state.Exclude(eissSearching);
    stop_timer();
}

void TLqIncrementalSearchManager::HandleWMKeyDown(TMessage&)
{
    if (!m_enabled || OwnerListview() == nullptr || m_state.Contains(eissSearching))
        return;
    switch (m_start) {
    case eissStartOver:
        m_search_item = first_item();
        break;
    case eissLastHit:
        if (m_search_item == nullptr)
            m_search_item = first_item();
        compute_next_search_item();
        break;
    case eissFocusedNode:
        m_search_item = OwnerListview()->Selection()->FocusedItem();
        if (m_search_item == nullptr)
            m_search_item = first_item();
        compute_next_search_item();
        break;
    }
    start_timer();
    m_state.Include(eissSearching);
}

void TLqIncrementalSearchManager::HandleWMChar(TMessage& message)
{
    if (!m_enabled || OwnerListview() == nullptr || !m_state.Contains(eissSearching))
        return;
    start_timer();
    // WM_CHAR carries a UTF-16 unit already: no code-page step is needed.
    const QChar typed(static_cast<char16_t>(LoWord(message.WParam)));
    if (GetKeyState(VK_MENU) < 0 || GetKeyState(VK_CONTROL) < 0 || typed.unicode() < 32) {
        ClearSearch();
        return;
    }
    m_search_buffer.append(typed);
    if (m_next_search_item == nullptr)
        compute_next_search_item();
    if (m_search_buffer.size() == 1) {
        if (m_start != eissStartOver)
            m_search_item = m_next_search_item;
    } else if (m_search_buffer[0] == m_search_buffer[1]) {
        m_search_buffer.truncate(1);
        if (m_start != eissStartOver)
            m_search_item = m_next_search_item;
    }
    if (m_search_item == nullptr)
        return;
    TLqItem* found = nullptr;
    if (matches(m_search_item)) {
        found = m_search_item;
    } else {
        TLqItem* start = m_search_item;
        for (TLqItem* item = next_item(start); item != nullptr && found == nullptr;
             item = next_item(item)) {
            if (matches(item))
                found = item;
        }
        // From the first item round to the start; the start may not be in the order at
        // all (a hidden item in a search of visible items), so the round ends at the end
        // of the order too.
        for (TLqItem* item = first_item(); item != nullptr && item != start && found == nullptr;
             item = next_item(item)) {
            if (matches(item))
                found = item;
        }
    }
    start_timer();
    m_search_item = found;
    if (found == nullptr)
        return;
    TLqSelectionManager* selection = OwnerListview()->Selection();
    selection->ClearAll();
    selection->SetFocusedItem(found);
    found->SetSelected(true);
    found->MakeVisible(emvAuto);
    if (m_start != eissStartOver)
        compute_next_search_item();
}

}
