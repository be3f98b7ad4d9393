// Point buffers: growable arrays of points for the intersections and contour tests.
#include "halvern/item_geometry.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "osmark/numbers.h"

namespace {

constexpr int32_t kInitialPoints = 100;
constexpr int32_t kSmallestStep = 10;

// Returned for an index out of range. Callers only read it; it is cleared at every such
// call so that a caller who wrote to it by mistake cannot pass the damage on. One per
// thread: readers and renderers run on several at once.
thread_local Point3DRec g_zero_point{};

// Grows the block to room for count points (count > pb_Max), keeping the points in use.
// false, with the buffer unchanged, when memory fails or count is beyond what one block
// can hold.
bool grow(DXFPointBufferRec& buffer, int64_t count) noexcept
{
    constexpr int64_t kMostPoints = std::numeric_limits<uint32_t>::max() / sizeof(Point3DRec);
    if (count > std::numeric_limits<int32_t>::max() || count > kMostPoints)
        return false;
    auto* points = static_cast<Point3DRec*>(
        AllocVec(static_cast<uint32_t>(count * static_cast<int64_t>(sizeof(Point3DRec)))));
    if (points == nullptr)
        return false;
    if (buffer.pb_Points != nullptr && buffer.pb_N > 0)
        std::memcpy(points, buffer.pb_Points, static_cast<size_t>(buffer.pb_N) * sizeof(Point3DRec));
    FreeVec(buffer.pb_Points);
    buffer.pb_Points = points;
    buffer.pb_Max = static_cast<int32_t>(count);
    return true;
}

}

extern "C" {

HALVERN_API DXFPointBufferRec* DXFPointBufferCreate(void) noexcept
{
    auto* buffer = static_cast<DXFPointBufferRec*>(AllocVec(sizeof(DXFPointBufferRec)));
    if (buffer == nullptr)
        return nullptr;
    *buffer = DXFPointBufferRec{kInitialPoints, 0, 0, nullptr};
    if (!grow(*buffer, kInitialPoints)) {
        FreeVec(buffer);
        return nullptr;
    }
    return buffer;
}

HALVERN_API void DXFPointBufferDelete(DXFPointBufferRec* buffer) noexcept
{
    if (buffer == nullptr)
        return;
    FreeVec(buffer->pb_Points);
    FreeVec(buffer);
}

HALVERN_API int32_t DXFPointBufferGetCount(const DXFPointBufferRec* buffer) noexcept
{
    return buffer != nullptr ? buffer->pb_N : 0;
}

HALVERN_API Point3DRec* DXFPointBufferGet(DXFPointBufferRec* buffer, uint32_t index) noexcept
{
    if (buffer != nullptr && buffer->pb_N > 0 && index < static_cast<uint32_t>(buffer->pb_N))
        return &buffer->pb_Points[index];
    g_zero_point = Point3DRec{};
    return &g_zero_point;
}

HALVERN_API void DXFPointBufferSort(DXFPointBufferRec* buffer, uint32_t first, uint32_t count,
                                    OsmarkCompareFunc compare) noexcept
{
    if (buffer == nullptr || compare == nullptr || buffer->pb_N < 0 ||
        first > static_cast<uint32_t>(buffer->pb_N))
        return;
    const uint32_t available = static_cast<uint32_t>(buffer->pb_N) - first;
    const uint32_t sorted = std::min(count, available);
    if (sorted < 2)
        return;
    QSort(buffer->pb_Points + first, static_cast<int32_t>(sorted),
          static_cast<int32_t>(sizeof(Point3DRec)), compare);
}

HALVERN_API void DXFPointBufferSetCount(DXFPointBufferRec* buffer, uint32_t count) noexcept
{
    if (buffer == nullptr)
        return;
    if (static_cast<int64_t>(count) > buffer->pb_Max)
        grow(*buffer, int64_t{count} + 1);
    const int32_t in_use = static_cast<int32_t>(std::min<int64_t>(count, buffer->pb_Max));
    // Points that come into use hold no earlier result: they start at (0, 0, 0).
    for (int32_t i = std::max(buffer->pb_N, 0); i < in_use; ++i)
        buffer->pb_Points[i] = Point3DRec{};
    buffer->pb_N = in_use;
}

HALVERN_API Point3DRec* DXFPointBufferAdd(DXFPointBufferRec* buffer, const Point3DRec* point) noexcept
{
    if (buffer == nullptr || point == nullptr)
        return nullptr;
    if (buffer->pb_N >= buffer->pb_Max) {
        buffer->pb_Size = std::max(buffer->pb_Size, kSmallestStep);
        grow(*buffer, int64_t{buffer->pb_Max} + buffer->pb_Size);
        if (buffer->pb_N >= buffer->pb_Max)
            return nullptr;
    }
    Point3DRec* stored = &buffer->pb_Points[buffer->pb_N];
    *stored = *point;
    ++buffer->pb_N;
    return stored;
}

}
