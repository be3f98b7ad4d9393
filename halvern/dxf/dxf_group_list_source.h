// A list of groups held in memory as the source of one entity for the entity readers
// (dxf_entity_reader.h): the groups of a DXF entity in a PagedArray of DXFGroupRec, in
// file order, starting with its 0 group; for a POLYLINE its VERTEX entities and the
// closing SEQEND follow.
//
// A stretch of the list runs from where reading stands up to the next 0 group or the
// end of the list; the end of the list closes an entity as its next 0 group would. A
// stretch reaches the entity code arranged by the layout the code asks for:
// - each code that does not repeat is handed over once, its first group (so the first
//   group of a code wins, where a stream lets the last one win), in list order;
// - then, for an LWPOLYLINE, its vertices paired by position: a vertex at position p
//   takes the first 10 and the first 20 group at or after p (no vertex when either is
//   missing); its 30 and 42 groups are the first at or after p that lie before the next
//   vertex's 10 and 20 groups (or anywhere further for the last vertex); the next vertex
//   starts behind the 10, 20, 30 and 42 groups taken;
// - or, for a SPLINE, the 40 groups and the 41 groups in order, then the control points
//   (the k-th 10 group with the k-th 20 and 30 groups; the points end at the first 10
//   group without a k-th 20 group, and a point without a k-th 30 group has z 0), then
//   the fit points (11, 21 and 31 groups the same way).
#ifndef HALVERN_MODEL_DXF_GROUP_LIST_SOURCE_H
#define HALVERN_MODEL_DXF_GROUP_LIST_SOURCE_H

#include <cstdint>
#include <vector>

#include "halvern/items.h"
#include "dxf/dxf_entity_reader.h"
#include "osmark/memory.h"
#include "osmark/paged_array.h"

namespace halvern::entity {

class ListSource {
public:
    // Policies: how items from a group list differ from items of a stream.
    static constexpr bool kKeepsArcHeight = true;
    static constexpr bool kNormalisesEllipseParameters = false;  // 41 and 42 as given
    static constexpr bool kRegistersUnknownBlocks = false;      // no item for them
    static constexpr bool kKeepsTextHeight = false;
    static constexpr bool kMTextAsText = false;                 // an MTEXT item, head only
    static constexpr bool kCarriesVertexCoordinates = false;    // a VERTEX's own, else 0

    // groups holds DXFGroupRec records (the caller checks pa_RecordSize); name is the
    // index of the entity's 0 group; items come from pool.
    ListSource(PagedArray& groups, uint32_t name, Pool* pool) noexcept;
    ~ListSource();
    ListSource(const ListSource&) = delete;
    ListSource& operator=(const ListSource&) = delete;

    // The index of the first 0 group of the list, -1 when there is none.
    static int64_t find_name(PagedArray& groups) noexcept;

    // Never cut off: the end of the list closes the stretch. May throw std::bad_alloc.
    template <typename Take>
    bool read_to_end(Take take, GroupLayout layout)
    {
        arrange(layout);
        for (const DXFGroupRec* group : m_order) {
            m_current = group;
            take(group->dg_Code);
        }
        close_stretch();
        return true;
    }

    // The current group; past the end of the list, a 0 group with an empty value.
    int32_t code() const noexcept { return m_current != nullptr ? m_current->dg_Code : 0; }
    const char* text() const noexcept
    {
        return m_current != nullptr && m_current->dg_Value != nullptr ? m_current->dg_Value : "";
    }
    Pool* pool() const noexcept { return m_pool; }

    // Keeps the entity's item for take_item.
    bool deliver(ItemRec* item) noexcept;
    void fail() noexcept { m_failed = true; }
    // A polyline that lost a vertex would be a wrong item: the entity fails instead.
    void vertex_lost() noexcept { fail(); }

    // The item made, now the caller's; NULL when none was made or memory ran out.
    ItemRec* take_item() noexcept;

private:
    const DXFGroupRec* group(uint32_t index) const noexcept;
    // Fills m_order with the current stretch in reading order and moves the position to
    // the stretch's closing 0 group.
    void arrange(GroupLayout layout);
    void pair_vertices(uint32_t begin, uint32_t end);
    void pair_points(uint32_t begin, uint32_t end, int32_t x_code);
    void append_all(uint32_t begin, uint32_t end, int32_t code);
    void close_stretch() noexcept;

    friend class CodeCursor;

    PagedArray& m_groups;
    uint32_t m_count;
    uint32_t m_name;
    uint32_t m_position = 0;
    Pool* m_pool;
    const DXFGroupRec* m_current = nullptr;
    std::vector<const DXFGroupRec*> m_order;
    ItemRec* m_item = nullptr;
    bool m_failed = false;
};

}

#endif
