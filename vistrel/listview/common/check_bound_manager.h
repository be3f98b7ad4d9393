// The size of a check-box glyph per font size, measured once per size.
#ifndef VISTREL_LISTVIEW_COMMON_CHECK_BOUND_MANAGER_H
#define VISTREL_LISTVIEW_COMMON_CHECK_BOUND_MANAGER_H

#include "framework/classes.h"
#include "framework/types.h"

namespace vistrel::listview {

// The glyph cell (Left and Top 0) of one font size in points.
class TLqCommonCheckBound : public fw::TObject {
public:
    fw::TRect Bounds() const { return m_bounds; }
    int Size() const { return m_size; }

private:
    friend class TLqCommonCheckBoundManager;
    fw::TRect m_bounds;
    int m_size = 0;
};

class TLqCommonCheckBoundManager : public fw::TObject {
public:
    TLqCommonCheckBoundManager();
    ~TLqCommonCheckBoundManager() override;

    // The entry of that size, or nullptr.
    TLqCommonCheckBound* FindBound(int Size) const;
    // The glyph cell at Size points, measured on the first request for that size.
    fw::TRect CheckBound(int Size);
    // The entry at Index, in the order the sizes were first asked for; raises
    // EListError "List index out of bounds (%d)" outside 0 .. Count - 1.
    TLqCommonCheckBound* GetBound(int Index) const;
    int Count() const { return m_list.Count(); }
    // Frees every entry.
    void Clear();

private:
    fw::TObjectList m_list;
};

}

#endif
