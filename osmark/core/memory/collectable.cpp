// Collectable: objects with destructors, all run at once, newest first.

#include "osmark/collectable.h"

#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

#include <cstddef>

namespace {

// "qqqq": set while the record is alive, cleared just before it is freed.
constexpr uint32_t kCollectableMagic = 0x71717171;

struct CollectableEntry {
    CollectableEntry* next;
    void* object;
    CollectableDestructor destructor;
};

}

struct Collectable {
    uint32_t magic;
    CollectableDestructor default_destructor;
    CollectableEntry* newest;
};

namespace {

static_assert(offsetof(Collectable, magic) == 0, "the magic word is read before anything else");

// 0 when the record may be used, else the code, which is also left for IoErr.
int32_t check(const Collectable* collectable)
{
    int32_t code = 0;
    if (collectable == nullptr)
        code = IoErrRequiredArgMissing;
    else if (collectable->magic != kCollectableMagic)
        code = IoErrObjectInvalid;
    if (code != 0)
        osmark::set_io_error(code);
    return code;
}

void collect(Collectable* collectable)
{
    // Each entry leaves the list before its destructor runs, so a destructor that adds
    // or removes entries of the same collectable finds a consistent list.
    while (CollectableEntry* entry = collectable->newest) {
        collectable->newest = entry->next;
        CollectableDestructor destructor =
            entry->destructor != nullptr ? entry->destructor : collectable->default_destructor;
        void* object = entry->object;
        FreeVec(entry);
        if (destructor != nullptr)
            destructor(object);
    }
}

}

extern "C" {

OSMARK_API Collectable* CollectableCreate(CollectableDestructor default_destructor) noexcept
{
    auto* collectable = static_cast<Collectable*>(AllocVec(sizeof(Collectable)));
    if (collectable == nullptr)
        return nullptr;
    collectable->magic = kCollectableMagic;
    collectable->default_destructor = default_destructor;
    collectable->newest = nullptr;
    return collectable;
}

OSMARK_API int32_t CollectableAdd(Collectable* collectable, void* object, CollectableDestructor destructor) noexcept
{
    if (const int32_t code = check(collectable))
        return code;
    auto* entry = static_cast<CollectableEntry*>(AllocVec(sizeof(CollectableEntry)));
    if (entry == nullptr)
        return osmark::make_error(IoErrNoMemory);
    entry->next = collectable->newest;
    entry->object = object;
    entry->destructor = destructor;
    collectable->newest = entry;
    return 0;
}

OSMARK_API int32_t CollectableRemove(Collectable* collectable, void* object) noexcept
{
    if (const int32_t code = check(collectable))
        return code;
    for (CollectableEntry** link = &collectable->newest; *link != nullptr; link = &(*link)->next) {
        CollectableEntry* entry = *link;
        if (entry->object == object) {
            *link = entry->next;
            FreeVec(entry);
            return 0;
        }
    }
    osmark::set_io_error(IoErrObjectNotFound);
    return IoErrObjectNotFound;
}

OSMARK_API int32_t CollectableCollect(Collectable* collectable) noexcept
{
    if (const int32_t code = check(collectable))
        return code;
    collect(collectable);
    return 0;
}

OSMARK_API int32_t CollectableDelete(Collectable* collectable) noexcept
{
    if (const int32_t code = check(collectable))
        return code;
    collect(collectable);
    collectable->magic = 0;
    FreeVec(collectable);
    return 0;
}

}
