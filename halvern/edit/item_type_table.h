// Per-item-type operation tables: an array indexed by item type, built at compile time
// from {type, operation} pairs and the list of types the operation does not handle.
//
// A table that does not name every type of DXFItemType exactly once, in one list or the
// other, does not compile: a type added to the enumeration has to be placed in every
// table, and a type listed twice cannot silently overwrite its first entry.
#ifndef HALVERN_EDIT_ITEM_TYPE_TABLE_H
#define HALVERN_EDIT_ITEM_TYPE_TABLE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "halvern/items.h"
#include "geometry/item_geometry_internal.h"

namespace halvern {

// The item types run without gaps from the first to the last member of DXFItemType.
// kLastItemType follows the enumeration's last member.
constexpr int32_t kFirstItemType = DXFItemBlock;
constexpr int32_t kLastItemType = DXFItemComposite;
constexpr std::size_t kItemTypeCount = kLastItemType - kFirstItemType + 1;

constexpr bool is_item_type(int32_t type) noexcept
{
    return type >= kFirstItemType && type <= kLastItemType;
}

template <typename Operation>
struct ItemTypeOperation {
    DXFItemType type;
    Operation operation;
};

// Whether the pairs and the types without an operation together name every item type
// exactly once, and nothing else.
template <typename Operation>
constexpr bool lists_every_item_type_once(std::initializer_list<ItemTypeOperation<Operation>> pairs,
                                          std::initializer_list<DXFItemType> without) noexcept
{
    std::array<int32_t, kItemTypeCount> seen{};
    for (const ItemTypeOperation<Operation>& pair : pairs) {
        if (!is_item_type(pair.type))
            return false;
        ++seen[static_cast<std::size_t>(pair.type - kFirstItemType)];
    }
    for (const DXFItemType type : without) {
        if (!is_item_type(type))
            return false;
        ++seen[static_cast<std::size_t>(type - kFirstItemType)];
    }
    for (const int32_t count : seen) {
        if (count != 1)
            return false;
    }
    return true;
}

// Deliberately not constexpr and never defined: a table whose lists fail the check
// reaches this call while it is built at compile time, and the compiler stops here.
void every_item_type_must_be_listed_exactly_once() noexcept;

template <typename Operation>
class ItemTypeTable;

// Operations answer an int32_t; the types without one answer DXFNoItemOperation().
template <typename... Args>
class ItemTypeTable<int32_t (*)(Args...)> {
public:
    using Operation = int32_t (*)(Args...);

    consteval ItemTypeTable(std::initializer_list<ItemTypeOperation<Operation>> pairs,
                            std::initializer_list<DXFItemType> without) noexcept
    {
        if (!lists_every_item_type_once(pairs, without))
            every_item_type_must_be_listed_exactly_once();
        for (const ItemTypeOperation<Operation>& pair : pairs)
            m_operations[static_cast<std::size_t>(pair.type - kFirstItemType)] = pair.operation;
    }

    // The operation for ih_ItemType; a value outside the enumeration (a damaged or
    // uninitialised item) gets the one for types without an operation.
    constexpr Operation operator[](int32_t type) const noexcept
    {
        if (!is_item_type(type))
            return kNone;
        return m_operations[static_cast<std::size_t>(type - kFirstItemType)];
    }

private:
    static constexpr Operation kNone = no_item_operation<Args...>;

    std::array<Operation, kItemTypeCount> m_operations = filled_with_none();

    static constexpr std::array<Operation, kItemTypeCount> filled_with_none() noexcept
    {
        std::array<Operation, kItemTypeCount> operations{};
        operations.fill(kNone);
        return operations;
    }
};

}

#endif
