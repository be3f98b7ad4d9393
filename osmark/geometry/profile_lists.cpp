// Profile lists, profile drawings and profile arrays: owning Arrays of profiles and of
// profile lists.

#include "osmark/profile_lists.h"

#include "osmark/memory.h"
#include "osmark/profiles.h"

#include <cstdint>

namespace {

template <typename T>
T* item_at(const Array* array, uint32_t index) noexcept
{
    return reinterpret_cast<T*>(ArrayGet(array, index));
}

// Inserts at the index (-1 appends) and answers whether the array took the item: an
// array that cannot grow leaves it with the caller, who still owns it.
int32_t insert_item(Array* array, int32_t index, const void* item) noexcept
{
    if (array == nullptr || item == nullptr)
        return 0;
    const uint32_t before = ArrayGetCount(array);
    const uintptr_t value = reinterpret_cast<uintptr_t>(item);
    if (index < 0)
        ArrayAdd(array, value);
    else
        ArrayInsert(array, static_cast<uint32_t>(index), value);
    return ArrayGetCount(array) > before ? 1 : 0;
}

// Merges extents the way the profiles merge their entities': no tolerance.
void merge(Rectangle2DRec& merged, const Rectangle2DRec& extents) noexcept
{
    if (extents.min.x <= merged.min.x)
        merged.min.x = extents.min.x;
    if (extents.min.y <= merged.min.y)
        merged.min.y = extents.min.y;
    if (extents.max.x >= merged.max.x)
        merged.max.x = extents.max.x;
    if (extents.max.y >= merged.max.y)
        merged.max.y = extents.max.y;
}

template <typename Element, typename ExtentsOf>
int32_t merged_extents(const Array* array, Rectangle2DRec* extents, ExtentsOf extents_of) noexcept
{
    if (array == nullptr || extents == nullptr)
        return 0;
    bool any = false;
    Rectangle2DRec merged{};
    for (uint32_t i = 0, count = ArrayGetCount(array); i < count; ++i) {
        Element* element = item_at<Element>(array, i);
        Rectangle2DRec own{};
        if (element == nullptr || !extents_of(element, &own))
            continue;
        if (any)
            merge(merged, own);
        else
            merged = own;
        any = true;
    }
    if (!any)
        return 0;
    *extents = merged;
    return 1;
}

}

extern "C" {

OSMARK_API Profiles* ProfilesCreate(void) noexcept
{
    return ArrayCreate();
}

OSMARK_API void ProfilesDelete(Profiles* list) noexcept
{
    if (list == nullptr)
        return;
    for (uint32_t i = 0, count = ArrayGetCount(list); i < count; ++i)
        ProfileDelete(item_at<Profile>(list, i));
    ArrayDelete(list);
}

OSMARK_API uint32_t ProfilesCount(const Profiles* list) noexcept
{
    return ArrayGetCount(list);
}

OSMARK_API int32_t ProfilesInsert(Profiles* list, int32_t index, Profile* profile) noexcept
{
    return insert_item(list, index, profile);
}

OSMARK_API void ProfilesRemove(Profiles* list, uint32_t index) noexcept
{
    ArrayRemove(list, index);
}

OSMARK_API Profile* ProfilesProfile(const Profiles* list, uint32_t index) noexcept
{
    return item_at<Profile>(list, index);
}

OSMARK_API int32_t PointOnProfiles(const Profiles* list, const Point2DRec* point) noexcept
{
    for (uint32_t i = 0, count = ArrayGetCount(list); i < count; ++i) {
        if (PointOnProfile(item_at<Profile>(list, i), point))
            return 1;
    }
    return 0;
}

OSMARK_API int32_t ProfilesExtents(const Profiles* list, Rectangle2DRec* extents) noexcept
{
    return merged_extents<Profile>(list, extents, ProfileExtents);
}

OSMARK_API ProfileDrawing* ProfileDrawingCreate(void) noexcept
{
    auto* drawing = static_cast<ProfileDrawing*>(CAllocVec(1, sizeof(ProfileDrawing)));
    if (drawing == nullptr)
        return nullptr;
    drawing->arrays = ArrayCreate();
    drawing->profiles = ArrayCreate();
    // A drawing without its lists would drop every list inserted into it.
    if (drawing->arrays == nullptr || drawing->profiles == nullptr) {
        ArrayDelete(drawing->arrays);
        ArrayDelete(drawing->profiles);
        FreeVec(drawing);
        return nullptr;
    }
    return drawing;
}

OSMARK_API void ProfileDrawingDelete(ProfileDrawing* drawing) noexcept
{
    if (drawing == nullptr)
        return;
    for (uint32_t i = 0, count = ArrayGetCount(drawing->arrays); i < count; ++i)
        ProfilesArrayDelete(item_at<ProfilesArray>(drawing->arrays, i));
    for (uint32_t i = 0, count = ArrayGetCount(drawing->profiles); i < count; ++i)
        ProfilesDelete(item_at<Profiles>(drawing->profiles, i));
    ArrayDelete(drawing->arrays);
    ArrayDelete(drawing->profiles);
    FreeVec(drawing);
}

OSMARK_API int32_t ProfileDrawingInsertProfiles(ProfileDrawing* drawing, int32_t index,
                                                Profiles* list) noexcept
{
    return drawing != nullptr ? insert_item(drawing->profiles, index, list) : 0;
}

OSMARK_API void ProfileDrawingRemoveProfiles(ProfileDrawing* drawing, uint32_t index) noexcept
{
    if (drawing != nullptr)
        ArrayRemove(drawing->profiles, index);
}

OSMARK_API uint32_t ProfileDrawingGetProfilesCount(const ProfileDrawing* drawing) noexcept
{
    return drawing != nullptr ? ArrayGetCount(drawing->profiles) : 0;
}

OSMARK_API Profiles* ProfileDrawingGetProfiles(const ProfileDrawing* drawing,
                                               uint32_t index) noexcept
{
    return drawing != nullptr ? item_at<Profiles>(drawing->profiles, index) : nullptr;
}

OSMARK_API int32_t ProfileDrawingInsertArray(ProfileDrawing* drawing, int32_t index,
                                             ProfilesArray* array) noexcept
{
    return drawing != nullptr ? insert_item(drawing->arrays, index, array) : 0;
}

OSMARK_API void ProfileDrawingRemoveArray(ProfileDrawing* drawing, uint32_t index) noexcept
{
    if (drawing != nullptr)
        ArrayRemove(drawing->arrays, index);
}

OSMARK_API uint32_t ProfileDrawingGetArrayCount(const ProfileDrawing* drawing) noexcept
{
    return drawing != nullptr ? ArrayGetCount(drawing->arrays) : 0;
}

OSMARK_API ProfilesArray* ProfileDrawingGetArray(const ProfileDrawing* drawing,
                                                 uint32_t index) noexcept
{
    return drawing != nullptr ? item_at<ProfilesArray>(drawing->arrays, index) : nullptr;
}

OSMARK_API int32_t PointOnProfileDrawing(const ProfileDrawing* drawing,
                                         const Point2DRec* point) noexcept
{
    if (drawing == nullptr)
        return 0;
    for (uint32_t i = 0, count = ArrayGetCount(drawing->profiles); i < count; ++i) {
        if (PointOnProfiles(item_at<Profiles>(drawing->profiles, i), point))
            return 1;
    }
    return 0;
}

OSMARK_API int32_t ProfileDrawingExtents(const ProfileDrawing* drawing,
                                         Rectangle2DRec* extents) noexcept
{
    if (drawing == nullptr)
        return 0;
    return merged_extents<const Profiles>(drawing->profiles, extents, ProfilesExtents);
}

OSMARK_API ProfilesArray* ProfilesArrayCreate(void) noexcept
{
    return nullptr;
}

OSMARK_API void ProfilesArrayDelete(ProfilesArray* array) noexcept
{
    if (array == nullptr)
        return;
    ProfilesDelete(array->profiles);
    array->profiles = nullptr;
}
}
