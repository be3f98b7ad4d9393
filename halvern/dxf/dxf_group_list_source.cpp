// A group list as the source of one entity: stretches of the list, arranged so that the
// entity code written for streams reads them by the list's own rules.

#include "dxf/dxf_group_list_source.h"

#include <algorithm>
#include <bitset>

namespace halvern::entity {

namespace {

// The groups that repeat in a layout; every other code is one field.
bool repeats(GroupLayout layout, int32_t code)
{
    switch (layout) {
    case GroupLayout::Fields: return false;
    case GroupLayout::Vertices: return code == 10 || code == 20 || code == 30 || code == 42;
    case GroupLayout::SplinePoints:
        return code == 10 || code == 20 || code == 30 || code == 11 || code == 21 ||
               code == 31 || code == 40 || code == 41;
    }
    return false;
}

// The codes a stretch has handed over already.
class SeenCodes {
public:
    // true the first time a code is seen.
    bool first_time(int32_t code)
    {
        if (code >= 0 && code < kTracked) {
            const auto index = static_cast<size_t>(code);
            if (m_tracked.test(index))
                return false;
            m_tracked.set(index);
            return true;
        }
        if (std::find(m_others.begin(), m_others.end(), code) != m_others.end())
            return false;
        m_others.push_back(code);
        return true;
    }

private:
    // Every code that has a value type lies below 1072; others are rare.
    static constexpr int32_t kTracked = 1072;
    std::bitset<kTracked> m_tracked;
    std::vector<int32_t> m_others;
};

}

// The first group of one code at or after a position, within a stretch. The positions
// asked for never go back, so a whole stretch costs one pass per cursor.
class CodeCursor {
public:
    CodeCursor(const ListSource& source, int32_t code, uint32_t begin, uint32_t end)
        : m_source(source), m_code(code), m_at(begin), m_end(end)
    {
    }

    // The index found, or the stretch's end when there is none.
    uint32_t find(uint32_t from)
    {
        m_at = std::max(m_at, from);
        while (m_at < m_end && !matches(m_at))
            ++m_at;
        return m_at;
    }
    bool found(uint32_t index) const { return index < m_end; }

private:
    bool matches(uint32_t index) const
    {
        const DXFGroupRec* group = m_source.group(index);
        return group != nullptr && group->dg_Code == m_code;
    }

    const ListSource& m_source;
    int32_t m_code;
    uint32_t m_at;
    uint32_t m_end;
};

ListSource::ListSource(PagedArray& groups, uint32_t name, Pool* pool) noexcept
    : m_groups(groups), m_count(PagedArrayGetCount(&groups)), m_name(name), m_pool(pool)
{
    m_current = group(name);
}

ListSource::~ListSource()
{
    if (m_item != nullptr)
        FreeVecPooled(m_pool, m_item);
}

int64_t ListSource::find_name(PagedArray& groups) noexcept
{
    const uint32_t count = PagedArrayGetCount(&groups);
    for (uint32_t i = 0; i < count; ++i) {
        const auto* group = static_cast<const DXFGroupRec*>(PagedArrayGet(&groups, i));
        if (group != nullptr && group->dg_Code == 0)
            return i;
    }
    return -1;
}

const DXFGroupRec* ListSource::group(uint32_t index) const noexcept
{
    if (index >= m_count)
        return nullptr;
    return static_cast<const DXFGroupRec*>(PagedArrayGet(&m_groups, index));
}

void ListSource::arrange(GroupLayout layout)
{
    m_order.clear();
    const uint32_t begin = m_position;
    uint32_t end = begin;
    // The entity's own 0 group opens the first stretch; any other one closes a stretch.
    for (; end < m_count; ++end) {
        const DXFGroupRec* g = group(end);
        if (g != nullptr && g->dg_Code == 0 && end != m_name)
            break;
    }
    SeenCodes seen;
    for (uint32_t i = begin; i < end; ++i) {
        const DXFGroupRec* g = group(i);
        if (g == nullptr || i == m_name || repeats(layout, g->dg_Code))
            continue;
        if (seen.first_time(g->dg_Code))
            m_order.push_back(g);
    }
    switch (layout) {
    case GroupLayout::Fields: break;
    case GroupLayout::Vertices: pair_vertices(begin, end); break;
    case GroupLayout::SplinePoints:
        append_all(begin, end, 40);
        append_all(begin, end, 41);
        pair_points(begin, end, 10);
        pair_points(begin, end, 11);
        break;
    }
    m_position = end;
}

void ListSource::pair_vertices(uint32_t begin, uint32_t end)
{
    CodeCursor xs(*this, 10, begin, end);
    CodeCursor ys(*this, 20, begin, end);
    CodeCursor zs(*this, 30, begin, end);
    CodeCursor bulges(*this, 42, begin, end);
    uint32_t start = begin;
    for (;;) {
        const uint32_t x = xs.find(start);
        const uint32_t y = ys.find(start);
        if (!xs.found(x) || !ys.found(y))
            return;
        const uint32_t after = std::max(x, y) + 1;
        const uint32_t next_x = xs.find(after);
        const uint32_t next_y = ys.find(after);
        // A group that lies at or behind the next vertex's coordinates is that vertex's.
        const uint32_t limit =
            xs.found(next_x) && ys.found(next_y) ? std::min(next_x, next_y) : end;
        m_order.push_back(group(x));
        m_order.push_back(group(y));
        uint32_t next = after;
        const uint32_t z = zs.find(start);
        if (z < limit) {
            m_order.push_back(group(z));
            next = std::max(next, z + 1);
        }
        const uint32_t bulge = bulges.find(start);
        if (bulge < limit) {
            m_order.push_back(group(bulge));
            next = std::max(next, bulge + 1);
        }
        start = next;
    }
}

void ListSource::pair_points(uint32_t begin, uint32_t end, int32_t x_code)
{
    CodeCursor ys(*this, x_code + 10, begin, end);
    CodeCursor zs(*this, x_code + 20, begin, end);
    uint32_t next_y = begin;
    uint32_t next_z = begin;
    for (uint32_t i = begin; i < end; ++i) {
        const DXFGroupRec* x = group(i);
        if (x == nullptr || x->dg_Code != x_code)
            continue;
        const uint32_t y = ys.find(next_y);
        if (!ys.found(y))
            return;
        next_y = y + 1;
        m_order.push_back(x);
        m_order.push_back(group(y));
        // Plane splines may carry no heights at all.
        const uint32_t z = zs.find(next_z);
        if (zs.found(z)) {
            m_order.push_back(group(z));
            next_z = z + 1;
        }
    }
}

void ListSource::append_all(uint32_t begin, uint32_t end, int32_t code)
{
    for (uint32_t i = begin; i < end; ++i) {
        const DXFGroupRec* g = group(i);
        if (g != nullptr && g->dg_Code == code)
            m_order.push_back(g);
    }
}

void ListSource::close_stretch() noexcept
{
    if (m_position < m_count) {
        m_current = group(m_position);
        ++m_position;
        return;
    }
    m_current = nullptr;
}

bool ListSource::deliver(ItemRec* item) noexcept
{
    if (m_failed || m_item != nullptr) {
        FreeVecPooled(m_pool, item);
        m_failed = true;
        return false;
    }
    m_item = item;
    return true;
}

ItemRec* ListSource::take_item() noexcept
{
    ItemRec* item = m_item;
    m_item = nullptr;
    if (m_failed && item != nullptr) {
        FreeVecPooled(m_pool, item);
        return nullptr;
    }
    return item;
}

}
