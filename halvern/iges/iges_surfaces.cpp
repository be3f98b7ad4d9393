// IGES trimmed surfaces (144) as composite items, the surfaces that fill them (plane
// 108, ruled surface 118, surface of revolution 120, tabulated cylinder 122, rational
// B-spline surface 128) and the curves on surfaces (142) that bound them.
//
// A surface entry converts only as the surface of a composite that no surface has
// filled yet; on its own it makes nothing and is not reported.

#include <algorithm>
#include <cstring>

#include "halvern/item_geometry.h"
#include "halvern/transform.h"
#include "iges/iges_internal.h"
#include "model/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

namespace halvern::iges {

namespace {

// The composite a surface entry may fill: the parent, when no surface has set its
// kind yet.
CompositeRec* open_composite(const Entry& entry)
{
    ItemRec* parent = entry.request.parent;
    if (parent == nullptr || parent->it_Composite.cp_Kind != 0)
        return nullptr;
    return &parent->it_Composite;
}

// Converts the curve that pointer names into list. A pointer of 0 or less is no
// curve (in_range true, nothing converted).
MemberResult convert_curve(Reader& reader, const Entry& entry, int32_t pointer, ItemBufferRec& list)
{
    if (pointer <= 0)
        return {true, 0};
    return convert_member(reader, entry, pointer, &list, entry.request.parent);
}

// Empties a member list, its items going back to the pool. INSERTs among them are
// forgotten by the resolution after the pass first.
void release_list(Reader& reader, ItemBufferRec& list)
{
    auto& pending = reader.pending_inserts;
    for (int32_t i = 0; i < list.ib_N; ++i)
        pending.erase(std::remove(pending.begin(), pending.end(), list.ib_Items[i]), pending.end());
    FreeItemBufferPool(&list, 1, reader.drawing.dxf_Pool);
}

}

// ---- 108 plane ----------------------------------------------------------------------------

int32_t convert_plane(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    CompositeRec* composite = open_composite(entry);
    if (composite == nullptr)
        return 0;
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    composite->cp_Kind = DXFCompositePlane;
    composite->cp_PlaneA = parameters.real();
    composite->cp_PlaneB = parameters.real();
    composite->cp_PlaneC = parameters.real();
    composite->cp_PlaneD = parameters.real();
    const int32_t bound = parameters.integer(1);
    Point3DRec point{};
    point.x = reader.unit(parameters.real());
    point.y = reader.unit(parameters.real());
    point.z = reader.unit(parameters.real());
    IGESApplyMatrix(matrix, point);
    composite->cp_PlanePoint = point;
    return convert_curve(reader, entry, bound, composite->cp_List4).result;
}

// ---- 118 ruled surface --------------------------------------------------------------------

int32_t convert_ruled_surface(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    CompositeRec* composite = open_composite(entry);
    if (composite == nullptr)
        return 0;
    const int32_t first = parameters.integer(1);
    const int32_t second = parameters.integer(1);
    const int32_t direction = parameters.integer(1);
    composite->cp_Kind = DXFCompositeRuled;
    composite->cp_Reversed = direction == 1 ? 1 : 0;
    // Form 1 rules by equal parameter values, every other form by equal arc length.
    composite->cp_ArcLength = entry.form == 1 ? 0 : 1;
    const MemberResult curve = convert_curve(reader, entry, first, composite->cp_List1);
    if (!curve.in_range || curve.result != 0)
        return curve.result;
    return convert_curve(reader, entry, second, composite->cp_List2).result;
}

// ---- 120 surface of revolution ------------------------------------------------------------

int32_t convert_revolution(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    CompositeRec* composite = open_composite(entry);
    if (composite == nullptr)
        return 0;
    const int32_t axis = parameters.integer(1);
    const int32_t generatrix = parameters.integer(1);
    const double start_angle = parameters.real();
    const double end_angle = parameters.real();
    composite->cp_Kind = DXFCompositeRevolution;
    ItemBufferRec& list = composite->cp_List3;
    const MemberResult axis_line = convert_member(reader, entry, axis, &list, entry.request.parent);
    if (!axis_line.in_range || axis_line.result != 0)
        return axis_line.result;
    // Only a straight axis can be kept: its line gives the axis point and direction.
    const bool is_line = list.ib_N == 1 && list.ib_Items[0]->it_Header.ih_ItemType == DXFItemLine;
    if (is_line) {
        const LineRec& line = list.ib_Items[0]->it_Line;
        composite->cp_AxisPoint = line.ln_Start;
        composite->cp_AxisDirection = Point3DRec{line.ln_End.x - line.ln_Start.x,
                                                 line.ln_End.y - line.ln_Start.y,
                                                 line.ln_End.z - line.ln_Start.z};
    }
    release_list(reader, list);
    if (!is_line)
        return 0;
    const MemberResult curve = convert_member(reader, entry, generatrix, &list, entry.request.parent);
    if (!curve.in_range || curve.result != 0)
        return curve.result;
    composite->cp_StartAngle = start_angle;
    composite->cp_EndAngle = end_angle;
    return 0;
}

// ---- 122 tabulated cylinder ---------------------------------------------------------------

int32_t convert_tabulated_cylinder(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    CompositeRec* composite = open_composite(entry);
    if (composite == nullptr)
        return 0;
    const int32_t directrix = parameters.integer(1);
    // The end of the generatrix is a point in the model's units, like the directrix
    // it is compared with.
    Point3DRec end{};
    end.x = reader.unit(parameters.real());
    end.y = reader.unit(parameters.real());
    end.z = reader.unit(parameters.real());
    composite->cp_Kind = DXFCompositeRuled;
    composite->cp_Reversed = 0;
    composite->cp_ArcLength = 1;
    for (ItemBufferRec* list : {&composite->cp_List1, &composite->cp_List2}) {
        const MemberResult curve = convert_curve(reader, entry, directrix, *list);
        if (!curve.in_range || curve.result != 0)
            return curve.result;
    }
    // The second copy of the directrix is moved to where the generatrix ends.
    Point3DRec start{};
    if (composite->cp_List1.ib_N > 0 && DXFItemStart(composite->cp_List1.ib_Items[0], &start) != 0) {
        const ItemBufferRec& moved = composite->cp_List2;
        for (int32_t i = 0; i < moved.ib_N; ++i)
            DXFTranslate(moved.ib_Items[i], end.x - start.x, end.y - start.y, end.z - start.z);
    }
    return 0;
}

// ---- 128 rational B-spline surface --------------------------------------------------------

namespace {

// Blocks of a surface taken from the pool, given back unless the surface is kept.
class PoolBlocks {
public:
    explicit PoolBlocks(Pool* pool) : m_pool(pool) {}
    ~PoolBlocks()
    {
        for (void* block : m_blocks) {
            if (block != nullptr)
                FreeVecPooled(m_pool, block);
        }
    }
    PoolBlocks(const PoolBlocks&) = delete;
    PoolBlocks& operator=(const PoolBlocks&) = delete;

    // count elements of T; NULL when the size does not fit or memory fails.
    template <typename T>
    T* take(int64_t count)
    {
        const int64_t bytes = count * int64_t{sizeof(T)};
        if (bytes <= 0 || bytes > UINT32_MAX || m_used == std::size(m_blocks))
            return nullptr;
        void* block = AllocVecPooled(m_pool, static_cast<uint32_t>(bytes));
        m_blocks[m_used++] = block;
        return static_cast<T*>(block);
    }
    // The surface keeps the blocks: they are no longer given back.
    void keep()
    {
        std::fill(std::begin(m_blocks), std::end(m_blocks), nullptr);
        m_used = 0;
    }

private:
    Pool* m_pool;
    void* m_blocks[6] = {};
    size_t m_used = 0;
};

}

int32_t convert_bspline_surface(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    CompositeRec* composite = open_composite(entry);
    if (composite == nullptr)
        return 0;
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    const int32_t upper_u = parameters.integer(0);
    const int32_t upper_v = parameters.integer(0);
    const int32_t degree_u = parameters.integer(0);
    const int32_t degree_v = parameters.integer(0);
    if (upper_u < 0 || upper_v < 0 || degree_u < 0 || degree_v < 0)
        return 0;
    const int64_t count_u = int64_t{upper_u} + 1;
    const int64_t count_v = int64_t{upper_v} + 1;
    const int64_t knots_u = count_u + degree_u + 1;
    const int64_t knots_v = count_v + degree_v + 1;
    const int64_t points = count_u * count_v;
    // Five flags, both knot vectors, a weight and three coordinates per point, and the
    // four parameter limits.
    if (!parameters.can_hold(5 + knots_u + knots_v + 4 * points + 4))
        return 0;
    for (int i = 0; i < 5; ++i)
        parameters.integer(0);

    PoolBlocks blocks(reader.drawing.dxf_Pool);
    auto* u_knots = blocks.take<double>(knots_u);
    auto* v_knots = blocks.take<double>(knots_v);
    auto* weight_rows = blocks.take<double*>(count_u);
    auto* weights = blocks.take<double>(points);
    auto* point_rows = blocks.take<Point3DRec*>(count_u);
    auto* control = blocks.take<Point3DRec>(points);
    if (u_knots == nullptr || v_knots == nullptr || weight_rows == nullptr || weights == nullptr ||
        point_rows == nullptr || control == nullptr)
        return make_error(IoErrNoMemory);
    for (int64_t i = 0; i < count_u; ++i) {
        weight_rows[i] = weights + i * count_v;
        point_rows[i] = control + i * count_v;
    }
    for (int64_t k = 0; k < knots_u; ++k)
        u_knots[k] = parameters.real();
    for (int64_t k = 0; k < knots_v; ++k)
        v_knots[k] = parameters.real();
    // Values run with the first index fastest: W(0,0), W(1,0), ... W(K1,0), W(0,1), ...
    for (int64_t j = 0; j < count_v; ++j) {
        for (int64_t i = 0; i < count_u; ++i)
            weight_rows[i][j] = parameters.real();
    }
    for (int64_t j = 0; j < count_v; ++j) {
        for (int64_t i = 0; i < count_u; ++i) {
            Point3DRec point{};
            point.x = reader.unit(parameters.real());
            point.y = reader.unit(parameters.real());
            point.z = reader.unit(parameters.real());
            IGESApplyMatrix(matrix, point);
            point_rows[i][j] = point;
        }
    }
    blocks.keep();
    composite->cp_Kind = DXFCompositeBSpline;
    composite->cp_DegreeU = degree_u;
    composite->cp_DegreeV = degree_v;
    composite->cp_StartU = parameters.real();
    composite->cp_EndU = parameters.real();
    composite->cp_StartV = parameters.real();
    composite->cp_EndV = parameters.real();
    composite->cp_NumKnotsU = static_cast<uint32_t>(knots_u);
    composite->cp_KnotsU = u_knots;
    composite->cp_NumKnotsV = static_cast<uint32_t>(knots_v);
    composite->cp_KnotsV = v_knots;
    composite->cp_NumU = static_cast<uint32_t>(count_u);
    composite->cp_NumV = static_cast<uint32_t>(count_v);
    composite->cp_NumU2 = static_cast<uint32_t>(count_u);
    composite->cp_NumV2 = static_cast<uint32_t>(count_v);
    composite->cp_Weights = weight_rows;
    composite->cp_Points = point_rows;
    return 0;
}

// ---- 142 curve on a parametric surface ----------------------------------------------------

int32_t convert_curve_on_surface(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    if (entry.request.parent == nullptr)
        return 0;
    parameters.integer(0); // creation flag
    parameters.integer(0); // surface
    parameters.integer(0); // curve in parameter space
    const int32_t curve = parameters.integer(0);
    if (curve <= 0)
        return 0;
    return convert_member(reader, entry, curve, entry.request.target, entry.request.parent).result;
}

// ---- 144 trimmed parametric surface ---------------------------------------------------------

int32_t convert_trimmed_surface(Reader& reader, const Entry& entry, Parameters& parameters) noexcept
{
    Matrix matrix;
    if (const int32_t result = IGESReadMatrix(reader, entry, matrix); result != 0)
        return result;
    const int32_t surface = parameters.integer(1);
    parameters.integer(0); // outer boundary is the surface's own
    const int32_t inner_count = parameters.integer(1);
    const int32_t outer = parameters.integer(1);
    if (!parameters.can_hold(std::max(inner_count, 0)))
        return 0;

    ItemRec* item = create_item(reader, entry, DXFItemComposite, 0);
    if (item == nullptr)
        return make_error(IoErrNoMemory);
    item->it_Header.ih_Line = -1;
    if (IGESAddItem(reader, item, entry.request.target) == 0)
        return make_error(IoErrNoMemory);
    CompositeRec& composite = item->it_Composite;

    MemberResult member = convert_member(reader, entry, surface, entry.request.target, item);
    if (!member.in_range || member.result != 0)
        return member.result;
    if (outer != 0) {
        member = convert_member(reader, entry, outer, &composite.cp_Outer, item);
        if (!member.in_range || member.result != 0)
            return member.result;
    }
    if (inner_count <= 0)
        return 0;
    const int64_t bytes = int64_t{inner_count} * int64_t{sizeof(ItemBufferRec)};
    if (bytes > UINT32_MAX)
        return 0;
    auto* inner = static_cast<ItemBufferRec*>(AllocVecPooled(reader.drawing.dxf_Pool, static_cast<uint32_t>(bytes)));
    if (inner == nullptr)
        return make_error(IoErrNoMemory);
    std::memset(static_cast<void*>(inner), 0, static_cast<size_t>(bytes));
    composite.cp_Inner = inner;
    for (int32_t i = 0; i < inner_count; ++i) {
        member = convert_member(reader, entry, parameters.integer(1), &inner[i], item);
        if (!member.in_range)
            return member.result;
        ++composite.cp_NumInner;
        if (member.result != 0)
            return member.result;
    }
    return 0;
}

}
