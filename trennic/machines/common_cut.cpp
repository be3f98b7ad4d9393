// Common-cut nesting parameters: their defaults, machine records cleared with them,
// and common-cut lists.

#include <cstddef>
#include <cstring>

#include "osmark/strings.h"
#include "trennic/machines.h"

namespace {

constexpr int32_t kMaxFields = 16;

enum class FieldKind {
    Integer,
    Real
};

struct ListField {
    FieldKind kind;
    size_t offset;
};

// The record field of each list position, 1 to 16.
constexpr ListField kListFields[kMaxFields] = {
    {FieldKind::Integer, offsetof(QXCommonCutNestDataRec, qxc_AllowCluster)},
    {FieldKind::Integer, offsetof(QXCommonCutNestDataRec, qxc_NestLOk)},
    {FieldKind::Integer, offsetof(QXCommonCutNestDataRec, qxc_NestROk)},
    {FieldKind::Integer, offsetof(QXCommonCutNestDataRec, qxc_NestTOk)},
    {FieldKind::Integer, offsetof(QXCommonCutNestDataRec, qxc_NestBOk)},
    {FieldKind::Real, offsetof(QXCommonCutNestDataRec, qxc_ClusterMaxSlideX)},
    {FieldKind::Real, offsetof(QXCommonCutNestDataRec, qxc_ClusterMaxSlideY)},
    {FieldKind::Real, offsetof(QXCommonCutNestDataRec, qxc_NestLLength)},
    {FieldKind::Real, offsetof(QXCommonCutNestDataRec, qxc_NestRLength)},
    {FieldKind::Real, offsetof(QXCommonCutNestDataRec, qxc_NestTLength)},
    {FieldKind::Real, offsetof(QXCommonCutNestDataRec, qxc_NestBLength)},
    {FieldKind::Integer, offsetof(QXCommonCutNestDataRec, qxc_NestMaxRows)},
    {FieldKind::Integer, offsetof(QXCommonCutNestDataRec, qxc_NestMaxCols)},
    {FieldKind::Real, offsetof(QXCommonCutNestDataRec, qxc_AreaToCCLengthWeight)},
    {FieldKind::Real, offsetof(QXCommonCutNestDataRec, qxc_ClusterCutoffUtil)},
    {FieldKind::Real, offsetof(QXCommonCutNestDataRec, qxc_ClusterSquareUtil)},
};

void read_field(QXCommonCutNestDataRec& data, const ListField& field, const char* text)
{
    auto* target = reinterpret_cast<unsigned char*>(&data) + field.offset;
    if (field.kind == FieldKind::Integer) {
        const int32_t value = StrToLong(text, nullptr, 0);
        std::memcpy(target, &value, sizeof value);
    } else {
        const double value = StrToDouble(text, nullptr);
        std::memcpy(target, &value, sizeof value);
    }
}

}

extern "C" {

TRENNIC_API void InitCommonCutNestData(QXCommonCutNestDataRec* data) noexcept
{
    if (data == nullptr)
        return;
    *data = QXCommonCutNestDataRec{};
    data->qxc_AllowCluster = 1;
    data->qxc_NestLOk = 1;
    data->qxc_NestROk = 1;
    data->qxc_NestTOk = 1;
    data->qxc_NestBOk = 1;
    data->qxc_ClusterCutoffUtil = 60.0;
    data->qxc_ClusterSquareUtil = 90.0;
    data->qxc_AreaToCCLengthWeight = 0.5;
}

TRENNIC_API void ClearMachine(QXMachineRec* machine) noexcept
{
    if (machine == nullptr)
        return;
    *machine = QXMachineRec{};
    InitCommonCutNestData(&machine->km_CommonCutNestData);
}

TRENNIC_API int32_t ParseCommonCutNestData(QXCommonCutNestDataRec* data, char* list) noexcept
{
    if (data == nullptr || list == nullptr)
        return 0;
    const char separator = std::strchr(list, '|') != nullptr ? '|' : ',';
    // Cut the list into its fields first: a field's own text ends at the next NUL.
    char* fields[kMaxFields] = {list};
    int32_t count = 1;
    while (count < kMaxFields) {
        char* next = std::strchr(fields[count - 1], separator);
        if (next == nullptr)
            break;
        *next = '\0';
        fields[count++] = next + 1;
    }
    for (int32_t i = 0; i < count; ++i)
        read_field(*data, kListFields[i], fields[i]);
    return count;
}

}
