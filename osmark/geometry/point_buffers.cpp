// Point buffers, recycled through two process-wide lists: the used list holds the
// buffers handed out, the free list the deleted ones with their point storage, which
// the next create hands out again without allocating.
//
// Creation links a buffer at the head of the used list and deletion walks that list
// from its head, so the kernel's working buffers, deleted in reverse order of
// creation, are found at once. The lists are not guarded: buffers belong to one thread.

#include "osmark/point_buffers.h"

#include "osmark/exit_list.h"
#include "osmark/library.h"
#include "osmark/lists.h"
#include "osmark/memory.h"
#include "osmark/profile_services.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr uint32_t kInitialCapacity = 100;
constexpr uint32_t kDefaultGrowStep = 100;
constexpr uint32_t kMinimumGrowStep = 10;

// The handle is the address of the record inside the node.
struct PointBufferNode {
    MinNode link;
    PointBufferRec buffer;
};

static_assert(offsetof(PointBufferRec, count) == 4,
              "the count is the second 32-bit field of a handle");

// Constant-initialised: the start-up step makes both lists empty.
List g_used = {};
List g_free = {};

// A shared (0, 0) for reads past the count; set again each time it is handed out, so
// a caller that wrote to it cannot pass its values on.
Point2DRec g_no_point = {};

Node* as_node(PointBufferNode* node)
{
    return reinterpret_cast<Node*>(&node->link);
}

PointBufferNode* node_of(Node* node)
{
    return reinterpret_cast<PointBufferNode*>(node);
}

// Grows the array to hold capacity points; the buffer stays as it was when the
// capacity is smaller than the present one or the array cannot be allocated.
bool grow(PointBufferRec& buffer, uint64_t capacity)
{
    if (capacity < buffer.capacity)
        return false;
    const uint64_t bytes = capacity * sizeof(Point2DRec);
    if (bytes > std::numeric_limits<uint32_t>::max())
        return false;
    auto* points = static_cast<Point2DRec*>(AllocVec(static_cast<uint32_t>(bytes)));
    if (points == nullptr)
        return false;
    if (buffer.count > 0)
        std::memcpy(points, buffer.points, buffer.count * sizeof(Point2DRec));
    FreeVec(buffer.points);
    buffer.points = points;
    buffer.capacity = static_cast<uint32_t>(capacity);
    return true;
}

PointBufferNode* new_node()
{
    auto* node = static_cast<PointBufferNode*>(AllocVec(sizeof(PointBufferNode)));
    if (node == nullptr)
        return nullptr;
    node->buffer = PointBufferRec{kDefaultGrowStep, 0, kInitialCapacity, nullptr};
    node->buffer.points = static_cast<Point2DRec*>(AllocVec(kInitialCapacity * sizeof(Point2DRec)));
    if (node->buffer.points == nullptr) {
        FreeVec(node);
        return nullptr;
    }
    return node;
}

void free_point_buffers()
{
    while (!IsListEmpty(&g_used))
        AddHead(&g_free, RemHead(&g_used));
    while (!IsListEmpty(&g_free)) {
        PointBufferNode* node = node_of(RemHead(&g_free));
        FreeVec(node->buffer.points);
        FreeVec(node);
    }
}

}

extern "C" {

OSMARK_API void InitialisePointBuffers(void) noexcept
{
    NewList(&g_used);
    NewList(&g_free);
    AddExitProc(&LibraryExitList, free_point_buffers);
}

OSMARK_API PointBuffer PointBufferCreate(void) noexcept
{
    PointBufferNode* node = nullptr;
    if (IsListEmpty(&g_free)) {
        node = new_node();
        if (node == nullptr)
            return nullptr;
    } else {
        node = node_of(RemHead(&g_free));
        node->buffer.grow_step = kDefaultGrowStep;
        node->buffer.count = 0;
    }
    AddHead(&g_used, as_node(node));
    return &node->buffer;
}

OSMARK_API void PointBufferDelete(PointBuffer buffer) noexcept
{
    if (buffer == nullptr)
        return;
    for (Node* n = g_used.lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
        if (&node_of(n)->buffer == buffer) {
            Remove(n);
            AddHead(&g_free, n);
            return;
        }
    }
}

OSMARK_API Point2DRec* PointBufferGet(PointBuffer buffer, uint32_t index) noexcept
{
    if (buffer == nullptr || index >= buffer->count) {
        g_no_point = Point2DRec{0.0, 0.0};
        return &g_no_point;
    }
    return &buffer->points[index];
}

OSMARK_API void PointBufferAdd(PointBuffer buffer, const Point2DRec* point) noexcept
{
    if (buffer == nullptr || point == nullptr)
        return;
    const Point2DRec copy = *point; // the point may lie in the array that grows
    if (buffer->count >= buffer->capacity) {
        if (buffer->grow_step < kMinimumGrowStep)
            buffer->grow_step = kMinimumGrowStep;
        grow(*buffer, uint64_t{buffer->capacity} + buffer->grow_step);
    }
    if (buffer->count < buffer->capacity)
        buffer->points[buffer->count++] = copy;
}

OSMARK_API void PointBufferSetCount(PointBuffer buffer, uint32_t count) noexcept
{
    if (buffer == nullptr)
        return;
    if (count > buffer->capacity)
        grow(*buffer, uint64_t{count} + 1);
    buffer->count = count > buffer->capacity ? buffer->capacity : count;
}

OSMARK_API void PointBufferSort(PointBuffer buffer, uint32_t first, uint32_t number,
                                OsmarkCompareFunc compare) noexcept
{
    if (buffer == nullptr || first > buffer->count)
        return;
    const uint32_t available = buffer->count - first;
    const uint32_t sorted = number < available ? number : available;
    if (sorted > static_cast<uint32_t>(std::numeric_limits<int32_t>::max()))
        return;
    QSort(buffer->points + first, static_cast<int32_t>(sorted), sizeof(Point2DRec), compare);
}

}
