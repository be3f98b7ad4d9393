// A profile's entity store, for the kernel's own code.
#ifndef OSMARK_GEOMETRY_PROFILE_STORE_H
#define OSMARK_GEOMETRY_PROFILE_STORE_H

#include "osmark/geometry_types.h"

#include <cstdint>

namespace osmark::geometry {

// 0 for a profile without an entity store.
uint32_t entity_count(const Profile& profile) noexcept;
// The entity in place; NULL for an index not below the count.
ProfileEntityRec* entity_at(const Profile& profile, uint32_t index) noexcept;
// Appends a copy and clears the cache; false when the store cannot take it.
bool append_entity(Profile& profile, const ProfileEntityRec& entity) noexcept;
// Removes every entity and clears the cache; the store keeps its pages.
void clear_entities(Profile& profile) noexcept;

}

#endif
