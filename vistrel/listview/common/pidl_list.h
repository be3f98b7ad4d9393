// A list of item-identifier lists, which it frees unless they are shared.
#ifndef VISTREL_LISTVIEW_COMMON_PIDL_LIST_H
#define VISTREL_LISTVIEW_COMMON_PIDL_LIST_H

#include "listview/common/pidl_manager.h"

#include "framework/classes.h"

#include <memory>

namespace vistrel::listview {

class TLqCommonPIDLList : public fw::TList {
public:
    TLqCommonPIDLList();
    ~TLqCommonPIDLList() override;

    PItemIDList Items(int index) const { return static_cast<PItemIDList>(fw::TList::Items(index)); }

    // True: the lists belong to someone else and stay when the list is cleared.
    bool SharePIDLs() const { return m_share_pidls; }
    void SetSharePIDLs(bool share) { m_share_pidls = share; }
    bool Destroying() const { return m_destroying; }

    // Frees every entry (unless shared), then empties the list.
    void Clear() override;
    // Adds a copy of the list; its index.
    int CopyAdd(PItemIDList IDList);
    // Replaces this list's entries by copies of PIDLList's. Nothing for nullptr.
    void CloneList(TLqCommonPIDLList* PIDLList);
    // The first index whose entry equals TestPIDL, or -1.
    int FindPIDL(PItemIDList TestPIDL) const;

    // A 4-byte count, then each list as TLqCommonPIDLManager::SaveToStream writes it.
    // Loading appends; false when the stream is damaged (the lists read so far stay).
    // A count that more lists than the bytes left can hold counts as damage.
    virtual bool LoadFromStream(fw::TStream* Stream);
    virtual bool SaveToStream(fw::TStream* Stream);

    TLqCommonPIDLManager* PIDLManager() const { return m_local_pidl_mgr.get(); }

private:
    std::unique_ptr<TLqCommonPIDLManager> m_local_pidl_mgr;
    bool m_share_pidls = false;
    bool m_destroying = false;
};

}

#endif
