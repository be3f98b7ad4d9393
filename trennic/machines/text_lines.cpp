// The text lines at the end of a part file.

#include "machines/text_lines.h"

#include <cstring>

#include "osmark/strings.h"

namespace trennic {

namespace {

constexpr char kCurrentMachineKey[] = "c_machine=";
constexpr char kReadinessKey[] = "mach_data1[";
constexpr char kOptionsKey[] = "mach_data2[";
constexpr char kMachineCommonCutKey[] = "mach_data3[";
constexpr char kPartCommonCutKey[] = "ccnd1=";
constexpr int32_t kMaxOptions = 9;

template <size_t N>
bool starts_with_key(const char* line, const char (&key)[N])
{
    return StrniCmp(line, key, static_cast<int32_t>(N - 1)) == 0;
}

template <size_t N>
const char* after_key(const char* line, const char (&)[N])
{
    return line + N - 1;
}

// The machine's index, the machine added when the table lacks it; -1 when it cannot be.
int32_t machine_index(MachineTable& machines, const char* name)
{
    const int32_t index = machines.find(name);
    return index >= 0 ? index : machines.add(name);
}

// A value of "mach_data1[": 0 ready (2), 2 (3), anything else 1.
int32_t readiness_of(int32_t value)
{
    if (value == 0)
        return 2;
    if (value == 2)
        return 3;
    return 1;
}

// The nine machine options, each stored with its valid flag. The first value is
// always taken; each later one only when its bar is there.
void apply_options(QXMachineRec& machine, char* values)
{
    char* fields[kMaxOptions] = {values};
    int32_t count = 1;
    while (count < kMaxOptions) {
        char* bar = std::strchr(fields[count - 1], '|');
        if (bar == nullptr)
            break;
        *bar = '\0';
        fields[count++] = bar + 1;
    }
    for (int32_t i = 0; i < count; ++i) {
        const char* text = fields[i];
        switch (i + 1) {
        case 1:
            machine.km_RotationsValid = 1;
            machine.km_Rotations = StrToLong(text, nullptr, 0);
            break;
        case 2:
            machine.km_UseRASValid = 1;
            machine.km_UseRAS = StrToLong(text, nullptr, 0);
            break;
        case 3:
            machine.km_UseClusterValid = 1;
            machine.km_UseCluster = StrToLong(text, nullptr, 0);
            break;
        case 4:
            machine.km_FindBestAngleValid = 1;
            machine.km_FindBestAngle = StrToLong(text, nullptr, 0);
            break;
        case 5:
            machine.km_CommonCutNestOkValid = 1;
            machine.km_CommonCutNestOk = StrToLong(text, nullptr, 0);
            break;
        case 6:
            machine.km_NestMirrorOkValid = 1;
            machine.km_NestMirrorOk = StrToLong(text, nullptr, 0);
            break;
        case 7:
            machine.km_CommonCutNestUseDataValid = 1;
            machine.km_CommonCutNestUseData = StrToLong(text, nullptr, 0);
            break;
        case 8:
            machine.km_ClearanceValid = 1;
            machine.km_Clearance = StrToDouble(text, nullptr);
            break;
        case 9:
            machine.km_RotationAngleToleranceValid = 1;
            machine.km_RotationAngleTolerance = static_cast<uint16_t>(StrToLong(text, nullptr, 0));
            break;
        default:
            break;
        }
    }
}

enum class MachineLine {
    Readiness,
    Options,
    CommonCut
};

// "<key><anything>=<name>|<values>"; 0 or -1.
int32_t apply_machine_line(char* rest, MachineLine kind, MachineTable& machines)
{
    char* equals = std::strchr(rest, '=');
    if (equals == nullptr)
        return 0;
    char* name = equals + 1;
    char* bar = std::strchr(name, '|');
    if (bar == nullptr)
        return 0;
    *bar = '\0';
    char* values = bar + 1;
    const int32_t index = machine_index(machines, name);
    if (index < 0)
        return index;
    QXMachineRec& machine = machines.machines()[index];
    switch (kind) {
    case MachineLine::Readiness:
        machine.km_ReadyForProduction = readiness_of(StrToLong(values, nullptr, 0));
        break;
    case MachineLine::Options:
        apply_options(machine, values);
        break;
    case MachineLine::CommonCut:
        ParseCommonCutNestData(&machine.km_CommonCutNestData, values);
        break;
    }
    return 0;
}

int32_t apply_line(char* line, MachineTable& machines, QXCommonCutNestDataRec& common_cut)
{
    if (starts_with_key(line, kCurrentMachineKey)) {
        const int32_t index = machine_index(machines, after_key(line, kCurrentMachineKey));
        if (index < 0)
            return index;
        machines.machines()[index].km_Current = 1;
        return 0;
    }
    if (starts_with_key(line, kReadinessKey))
        return apply_machine_line(line + sizeof kReadinessKey - 1, MachineLine::Readiness,
                                  machines);
    if (starts_with_key(line, kOptionsKey))
        return apply_machine_line(line + sizeof kOptionsKey - 1, MachineLine::Options, machines);
    if (starts_with_key(line, kMachineCommonCutKey))
        return apply_machine_line(line + sizeof kMachineCommonCutKey - 1, MachineLine::CommonCut,
                                  machines);
    if (starts_with_key(line, kPartCommonCutKey))
        ParseCommonCutNestData(&common_cut, line + sizeof kPartCommonCutKey - 1);
    return 0;
}

}

int32_t apply_text_lines(std::span<const uint8_t> text, MachineTable& machines,
                         QXCommonCutNestDataRec& common_cut)
{
    size_t position = 0;
    while (position < text.size()) {
        // As a line reader with room for 510 characters reads it: the line end is
        // taken with the line, a longer line is cut and goes on as the next one.
        char line[kMaxTextLineLength + 1];
        size_t length = 0;
        while (length < kMaxTextLineLength && position < text.size()) {
            const auto c = static_cast<char>(text[position++]);
            if (c == '\n')
                break;
            if (c == '\r') {
                if (position < text.size() && text[position] == '\n')
                    ++position;
                break;
            }
            line[length++] = c;
        }
        line[length] = '\0';
        if (const int32_t result = apply_line(line, machines, common_cut); result != 0)
            return result;
    }
    return 0;
}

}
