// Element records written before version 15.2 into the current layout.

#include <algorithm>
#include <cstring>

#include "elements/element_layout.h"
#include "library/byte_reader.h"
#include "trennic/elements.h"

namespace {

using namespace trennic::element;
using trennic::load_i32;
using trennic::load_u32;
using trennic::store_u32;

// Writes the current layout of an old record of a kind whose name field grew. Every
// copy is bounded twice: by the old record's length (bytes it lacks stay 0) and by the
// new record's length (old bytes beyond it are dropped), so neither buffer is read or
// written past its end whatever the old length word says.
uint32_t upgrade(const uint8_t* old_bytes, uint32_t old_length, const UpgradeRow& row, uint8_t* out)
{
    const uint32_t name = row.name_offset;
    std::memset(out, 0, row.length);
    std::memcpy(out, old_bytes, std::min(name, old_length));
    if (old_length > name) {
        const uint32_t field = std::min<uint32_t>(kOldNameFieldLength, old_length - name);
        const std::string_view text = trennic::field_text({old_bytes + name, field});
        std::memcpy(out + name, text.data(), text.size());
    }
    // The old bytes behind the name, up to the old second length word.
    const uint32_t tail_begin = name + kOldNameFieldLength;
    const uint32_t new_tail_begin = name + kNameFieldLength;
    if (old_length >= tail_begin + 4) {
        const uint32_t room = row.length - 4 - new_tail_begin;
        const uint32_t size = std::min(old_length - 4 - tail_begin, room);
        std::memcpy(out + new_tail_begin, old_bytes + tail_begin, size);
    }
    store_u32(out, row.length);
    store_u32(out + row.length - 4, row.length);
    return row.length;
}

static_assert(
    [] {
        for (const UpgradeRow& row : kUpgradeRows) {
            if (row.length > kMaxLength || row.length < row.name_offset + kNameFieldLength + 4)
                return false;
        }
        return true;
    }(),
    "every current layout holds its grown name and its second length word");

}

extern "C" {

TRENNIC_API int32_t UpgradeElement(const QXElementRec* oldRecord, QXElementRec* newRecord) noexcept
{
    if (oldRecord == nullptr || newRecord == nullptr)
        return 0;
    const uint32_t old_length = load_u32(oldRecord->qe_Bytes);
    if (old_length < kMinLength || old_length > kMaxLength)
        return 0;
    // The two records may be one buffer: work from a copy of the old bytes.
    uint8_t old_bytes[kMaxLength];
    std::memcpy(old_bytes, oldRecord->qe_Bytes, old_length);
    const int32_t kind = old_length >= kKindOffset + 4 ? load_i32(old_bytes + kKindOffset) : 0;
    const UpgradeRow* row = upgrade_row(kind);
    if (row == nullptr) {
        std::memcpy(newRecord->qe_Bytes, old_bytes, old_length);
        return static_cast<int32_t>(old_length);
    }
    return static_cast<int32_t>(upgrade(old_bytes, old_length, *row, newRecord->qe_Bytes));
}

}
