// Incremental search: characters typed while the control has the focus select the first
// item whose caption starts with them; a pause of ResetTime milliseconds (a windowless
// timer) starts a new search.
#ifndef VISTREL_LISTVIEW_INCREMENTAL_SEARCH_H
#define VISTREL_LISTVIEW_INCREMENTAL_SEARCH_H

#include "framework/types.h"
#include "listview/persistent.h"

#include <QtCore/QString>

#include <functional>

namespace vistrel::listview {

enum TLqIncrementalSearchDir {
    eisdForward,
    eisdBackward
};
enum TLqIncrementalSearchItemType {
    eisiAll,
    eisiInitializedOnly,
    eisiVisible
};
enum TCoolIncrementalSearchStart {
    eissStartOver,
    eissLastHit,
    eissFocusedNode
};
enum TLqIncrementalSearchState {
    eissTimerRunning,
    eissSearching
};
using TLqIncrementalSearchStates = fw::TSet<TLqIncrementalSearchState>;

class TLqIncrementalSearchManager : public TLqOwnedPersistent {
public:
    explicit TLqIncrementalSearchManager(TCustomLqListview* owner);
    ~TLqIncrementalSearchManager() override;

    TLqIncrementalSearchDir Direction() const { return m_direction; }
    void SetDirection(TLqIncrementalSearchDir value) { m_direction = value; }
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool value) { m_enabled = value; }
    TLqIncrementalSearchItemType ItemType() const { return m_item_type; }
    void SetItemType(TLqIncrementalSearchItemType value) { m_item_type = value; }
    int ResetTime() const { return m_reset_time; }
    void SetResetTime(int value) { m_reset_time = value; }
    TCoolIncrementalSearchStart StartType() const { return m_start; }
    void SetStartType(TCoolIncrementalSearchStart value) { m_start = value; }
    TLqIncrementalSearchStates State() const { return m_state; }
    const QString& SearchBuffer() const { return m_search_buffer; }

    TLqItem* SearchItem() const { return m_search_item; }
    void SetSearchItem(TLqItem* item) { m_search_item = item; }
    TLqItem* NextSearchItem() const { return m_next_search_item; }
    void SetNextSearchItem(TLqItem* item) { m_next_search_item = item; }

    // Forgets the item found last and where the next search would begin.
    virtual void ClearSearch();
    // Ends the running search: the buffer is emptied and the timer stopped.
    void ResetSearch();

    virtual void HandleWMChar(fw::TMessage& message);
    virtual void HandleWMKeyDown(fw::TMessage& message);

private:
    TLqItem* first_item() const;
    TLqItem* next_item(TLqItem* item) const;
    // The item after the search item, the first item after the last; none without one.
    void compute_next_search_item();
    bool matches(TLqItem* item);
    void start_timer();
    void stop_timer();

    TLqIncrementalSearchDir m_direction = eisdForward;
    bool m_enabled = false;
    UINT_PTR m_timer = 0;
    TLqIncrementalSearchItemType m_item_type = eisiVisible;
    TLqItem* m_next_search_item = nullptr;
    int m_reset_time = 2000;
    QString m_search_buffer;
    TLqItem* m_search_item = nullptr;
    TCoolIncrementalSearchStart m_start = eissStartOver;
    TLqIncrementalSearchStates m_state;
    std::function<void()> m_timer_stub;
};

}

#endif
