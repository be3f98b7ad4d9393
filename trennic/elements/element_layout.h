// The byte layout of element records: the offsets of the head and of each kind's
// fields in the current layout, the kinds whose layout changed with version 15.2, and
// how long a record must be for the fields the library reads of its kind.
#ifndef TRENNIC_ELEMENTS_ELEMENT_LAYOUT_H
#define TRENNIC_ELEMENTS_ELEMENT_LAYOUT_H

#include <cstddef>
#include <cstdint>
#include <span>

#include "trennic/elements.h"

namespace trennic::element {

// ---- Head -------------------------------------------------------------------------------
constexpr size_t kLengthOffset = 0;
constexpr size_t kKindOffset = 4;
constexpr size_t kColourOffset = 8;
constexpr size_t kLineTypeOffset = 12;
constexpr size_t kLayerOffset = 16;
constexpr size_t kFlagsOffset = 20;
// The head as far as the library reads it (bytes 24 to 43 mean nothing here).
constexpr uint32_t kHeadLength = 24;
constexpr uint32_t kMinLength = 5;
constexpr uint32_t kMaxLength = QX_ELEMENT_MAX_LENGTH;

// The state in bits 1 to 4 of the flags word.
constexpr uint32_t kStateShift = 1;
constexpr uint32_t kStateMask = 0xFu << kStateShift;
constexpr uint32_t kStateDeleted = 2;
constexpr uint32_t kStateAllSet = 15; // read as deleted

constexpr uint32_t state_of(uint32_t flags)
{
    return (flags & kStateMask) >> kStateShift;
}

// The flags word with state 15 rewritten to 2, as every reader does before testing.
constexpr uint32_t normalised_flags(uint32_t flags)
{
    return state_of(flags) == kStateAllSet ? (flags & ~kStateMask) | kStateDeleted << kStateShift
                                           : flags;
}

// ---- Lines and arcs (kinds -10, -20, -30) ------------------------------------------------
constexpr size_t kPartFlagOffset = 44; // 0: construction geometry
constexpr size_t kPointXOffset = 48;   // start point (-10) or centre
constexpr size_t kPointYOffset = 56;
constexpr size_t kEndXOffset = 64; // end point (-10) or radius
constexpr size_t kRadiusOffset = 64;
constexpr size_t kEndYOffset = 72;
constexpr size_t kSlopeOffset = 80; // construction line y = m x + c
constexpr size_t kInterceptOffset = 88;
constexpr size_t kLineAngleOffset = 96; // degrees
constexpr size_t kArcFirstOffset = 104; // radians
constexpr size_t kArcSecondOffset = 112;
constexpr size_t kArcDirectionOffset = 120; // -1 clockwise

// ---- Text (kind 7) -----------------------------------------------------------------------
constexpr size_t kTextXOffset = 44;
constexpr size_t kTextYOffset = 52;
constexpr size_t kTextRotationOffset = 60;
constexpr size_t kTextHeightOffset = 68;
constexpr size_t kTextOffset = 85; // NUL-terminated, to the end of the record

// ---- Block placements (kinds 8, 9, 10) and block begin (1000) ---------------------------
constexpr size_t kPlaceXOffset = 44; // insertion point, centre (9) or base point (1000)
constexpr size_t kPlaceYOffset = 52;
constexpr size_t kPlaceRotationOffset = 60;
constexpr size_t kPlaceNameOffset = 68;
constexpr size_t kNameFieldLength = 78;
constexpr size_t kBeginNameOffset = 60;
constexpr size_t kRowsOffset = 146;         // i32 (8)
constexpr size_t kCircleRadiusOffset = 146; // f64 (9)
constexpr size_t kRowAngleOffset = 150;
constexpr size_t kCircleFirstXOffset = 154;
constexpr size_t kRowSpacingOffset = 158;
constexpr size_t kCircleFirstYOffset = 162;
constexpr size_t kColumnsOffset = 166;
constexpr size_t kColumnAngleOffset = 170;
constexpr size_t kColumnSpacingOffset = 178;
constexpr size_t kCircleStepOffset = 178;
constexpr size_t kCircleCountOffset = 186;

// ---- Tooling ------------------------------------------------------------------------------
constexpr int32_t kToolingWithWord = -1;
constexpr size_t kToolingWordOffset = 44; // u32 of kind -1

// ---- Records written before version 15.2 --------------------------------------------------
// Their (last) name field held 33 bytes instead of 78.
constexpr size_t kOldNameFieldLength = 33;
constexpr size_t kNameGrowth = kNameFieldLength - kOldNameFieldLength;

struct UpgradeRow {
    int32_t kind;
    uint32_t length;      // current length, repeated in the record's last four bytes
    uint32_t name_offset; // the name field that grew
};

constexpr UpgradeRow kUpgradeRows[] = {
    {8, 242, 68},    {9, 226, 68},    {10, 182, 68},   {11, 370, 124},
    {17, 370, 124},  {117, 346, 232}, {118, 222, 100}, {119, 262, 132},
    {120, 274, 140}, {121, 274, 140}, {122, 418, 152}, {123, 378, 148},
    {130, 406, 164}, {140, 382, 136}, {215, 400, 158}, {1000, 142, 60},
};

// The row of a kind whose layout changed, or nullptr.
constexpr const UpgradeRow* upgrade_row(int32_t kind)
{
    for (const UpgradeRow& row : kUpgradeRows) {
        if (row.kind == kind)
            return &row;
    }
    return nullptr;
}

// The least length of a record (current layout) that holds every fixed field the
// library reads of its kind. Names and texts are not counted: they are cut at the end
// of the record.
constexpr uint32_t min_length(int32_t kind)
{
    switch (kind) {
    case QXElementLine:
        return kLineAngleOffset + 8;
    case QXElementCircle:
        return kRadiusOffset + 8;
    case QXElementArc:
        return kArcDirectionOffset + 4;
    case QXElementText:
        return kTextHeightOffset + 8;
    case QXElementArray:
        return kColumnSpacingOffset + 8;
    case QXElementCircularArray:
        return kCircleCountOffset + 4;
    case QXElementPlacement:
        return kPlaceRotationOffset + 8;
    case QXElementBlockBegin:
        return kPlaceYOffset + 8;
    case kToolingWithWord:
        return kToolingWordOffset + 4;
    default:
        return kHeadLength;
    }
}

// The same for a record in the layout before version 15.2: fields behind a grown name
// lay 45 bytes earlier, and the upgrade takes them only from in front of the record's
// last four bytes (its second length word).
constexpr uint32_t min_old_length(int32_t kind)
{
    const UpgradeRow* row = upgrade_row(kind);
    const uint32_t current = min_length(kind);
    if (row == nullptr || current <= row->name_offset)
        return current;
    return current - static_cast<uint32_t>(kNameGrowth) + 4;
}

static_assert(min_old_length(QXElementCircularArray) == 149);
static_assert(min_old_length(QXElementPlacement) == min_length(QXElementPlacement));

}

#endif
