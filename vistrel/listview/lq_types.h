// The list-view control's small shared types: view styles, the control's state set,
// the 16-bit state set of its items, groups and columns, hit-test sets and the
// rectangle helpers that every unit of the control uses. Light on purpose: the
// control's other headers include it and declare their classes forward from here.
#ifndef VISTREL_LISTVIEW_LQ_TYPES_H
#define VISTREL_LISTVIEW_LQ_TYPES_H

#include "framework/types.h"

#include <cstdint>

namespace vistrel::listview {

class TCustomLqListview;
class TLqCollection;
class TLqCollectionItem;
class TLqItem;
class TLqItems;
class TLqGroup;
class TLqGroups;
class TLqColumn;
class TLqGlobalItems;
class TLqSelectionManager;
class TLqAlphaBlender;
class TLqGridGroup;
class TLqViewItem;
class TLqViewGroup;
class TLqViewColumn;
class TLqPaintInfoBasic;
class TLqPaintInfoItem;
class TLqPaintInfoGroup;
class TLqPaintInfoColumn;
struct TLqRectArrayObject;

enum TLqListStyle : uint8_t {
    elsIcon,
    elsSmallIcon,
    elsList,
    elsReport,
    elsThumbnail,
    elsTile,
    elsFilmStrip,
    elsGrid
};
constexpr int kLqListStyleCount = 8;

enum TLqDefaultWheelScroll {
    edwsHorz,
    edwsVert
};

// The control's states; bit n is the nth value.
enum TLqControlState {
    ebcsLButtonDown,
    ebcsRButtonDown,
    ebcsMButtonDown,
    ebcsScrollButtonDown,
    ebcsDragPending,
    ebcsDragging,
    ebcsVCLDrag,
    ebcsDragSelectPending,
    ebcsDragSelecting,
    ebcsThemesLoaded,
    ebcsCheckboxClickPending,
    ebcsGroupExpandPending,
    ebcsHeaderCapture,
    ebcsScrolling,
    ebcsOLERegistered,
    ebcsCancelContextMenu,
    ebcsColumnStructureUpdatePending,
    ebcsGroupStructureUpdatePending,
    ebcsItemStructureUpdatePending,
    ebcsSettingParentFont
};
using TLqControlStates = fw::TSet<TLqControlState>;

// The state bits of an item, group or column (bit n of the 16-bit value is element n).
enum TLqStorageObjectState : uint16_t {
    esosChecked,
    esosCheckPending,
    esosCheckHover,
    esosClicking,
    esosCut,
    esosDestroying,
    esosHilighted,
    esosEnabled,
    esosFocused,
    esosInitialized,
    esosSelected,
    esosVisible,
    esosHotTracking,
    esosBold,
    esosDropTarget,
    esosGhosted
};
constexpr uint16_t LqStateBit(TLqStorageObjectState state)
{
    return static_cast<uint16_t>(1u << state);
}
// The states a record in a stream keeps: checked, enabled, selected, visible, bold.
constexpr uint16_t kLqStoredStateMask = 0x2C81;

enum TLqImageKind {
    eikNormal,
    eikOverlay,
    eikState
};
enum TLqImageSize {
    eisSmall,
    eisLarge,
    eisExtraLarge
};
enum TLqMakeVisiblePos {
    emvTop,
    emvMiddle,
    emvBottom,
    emvAuto
};
enum TLqSelectHitType {
    eshtClickSelect,
    eshtDragSelect
};
enum TLqHotTrackState {
    ehsEnable,
    ehsDisable
};
enum TLqCheckType {
    ectNone,
    ectNoneWithSpace, // no box, but its room kept
    ectBox,
    ectRadio
};
enum TLqHintType {
    ehtText,
    ehtToolTip,
    ehtCustomDraw
};
enum TLqGroupMarginEdge {
    egmeBackground,
    egmeTop,
    egmeBottom,
    egmeLeft,
    egmeRight,
    egmeForeground
};
enum TLqAdjacentCellDir {
    acdLeft,
    acdRight,
    acdUp,
    acdDown,
    acdPageDown,
    acdPageUp
};

enum TLqItemHitTestInfo {
    ehtStateIcon,
    ehtOnIcon,
    ehtOnLabel,
    ehtOnClickSelectBounds,
    ehtOnDragSelectBounds,
    ehtOnText,
    ehtOnCheck,
    ehtOnEdit
};
using TLqItemHitTestInfoSet = fw::TSet<TLqItemHitTestInfo>;

enum TLqGroupHitTestInfo {
    egtOnBand,
    egtOnCheckbox,
    egtOnExpandButton,
    egtOnLabel,
    egtOnIcon,
    egtOnText,
    egtOnHeader,
    egtOnFooter,
    egtOnLeftMargin,
    egtOnRightMargin
};
using TLqGroupHitTestInfoSet = fw::TSet<TLqGroupHitTestInfo>;

// What lies under a point: an item with its group and column, or a group.
struct TLqHitInfoItem {
    TLqItem* Item = nullptr;
    TLqGroup* Group = nullptr;
    TLqColumn* Column = nullptr;
    TLqItemHitTestInfoSet HitInfo;
};
struct TLqHitInfoGroup {
    TLqGroup* Group = nullptr;
    TLqGroupHitTestInfoSet HitInfo;
};

// Rectangle helpers on the framework's rectangles (right and bottom exclusive).
inline bool LqIntersects(const fw::TRect& a, const fw::TRect& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom &&
           !a.IsEmpty() && !b.IsEmpty();
}
fw::TRect LqIntersect(const fw::TRect& a, const fw::TRect& b);
// The smallest rectangle holding both; an empty one does not count.
fw::TRect LqUnion(const fw::TRect& a, const fw::TRect& b);
inline bool LqContains(const fw::TRect& r, fw::TPoint p)
{
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
inline fw::TRect LqOffset(fw::TRect r, int dx, int dy)
{
    r.Left += dx;
    r.Right += dx;
    r.Top += dy;
    r.Bottom += dy;
    return r;
}

}

#endif
