// A few points found by one geometric operation, kept on the stack: the intersection
// operations find at most four, so the kernel's own working sets cost no allocation.
#ifndef OSMARK_GEOMETRY_POINT_SET_H
#define OSMARK_GEOMETRY_POINT_SET_H

#include "osmark/geometry_types.h"
#include "osmark/point_buffers.h"

#include <cassert>
#include <cstdint>

namespace osmark::geometry {

struct PointSet {
    static constexpr uint32_t kCapacity = 4;

    uint32_t count = 0;
    Point2DRec points[kCapacity] = {};

    void add(const Point2DRec& point) noexcept
    {
        assert(count < kCapacity);
        if (count < kCapacity)
            points[count++] = point;
    }
    void add_all(const PointSet& other) noexcept
    {
        for (uint32_t i = 0; i < other.count; ++i)
            add(other.points[i]);
    }
    const Point2DRec* begin() const noexcept { return points; }
    const Point2DRec* end() const noexcept { return points + count; }
    bool empty() const noexcept { return count == 0; }

    // Appends the points to a caller's buffer (NULL: not wanted) and returns their
    // number, as the exported operations answer.
    int32_t append_to(PointBuffer buffer) const noexcept
    {
        for (const Point2DRec& point : *this)
            PointBufferAdd(buffer, &point);
        return static_cast<int32_t>(count);
    }
};

}

#endif
