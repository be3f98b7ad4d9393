// The machine table: one AllocVec block of machine records followed by every
// machine's layer array, and a name string per machine.

#include "machines/machine_table.h"

#include <cstring>
#include <utility>
#include <vector>

#include "library/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"
#include "osmark/strings.h"
#include "trennic/geometry.h"

namespace trennic {

namespace {

constexpr int32_t kDefaultLayerCount = 6;

int64_t layer_count(const QXMachineRec* machines, int32_t count)
{
    int64_t layers = 0;
    for (int32_t m = 0; m < count; ++m)
        layers += machines[m].km_NumLayers > 0 ? machines[m].km_NumLayers : 0;
    return layers;
}

// One block for machines records and layers layer records, machines first; NULL when
// the size does not fit a block or memory fails.
QXMachineRec* allocate_table(int64_t machines, int64_t layers)
{
    const uint64_t size = static_cast<uint64_t>(machines) * sizeof(QXMachineRec) +
                          static_cast<uint64_t>(layers) * sizeof(QXLayerRec);
    if (machines < 0 || layers < 0 || size > UINT32_MAX)
        return nullptr;
    return static_cast<QXMachineRec*>(AllocVec(static_cast<uint32_t>(size)));
}

QXLayerRec* first_layer_slot(QXMachineRec* block, int64_t machines)
{
    return reinterpret_cast<QXLayerRec*>(block + machines);
}

static_assert(alignof(QXLayerRec) <= alignof(QXMachineRec),
              "the layer arrays that follow the machines are aligned");

}

void free_machine_table(QXMachineRec* machines, int32_t count) noexcept
{
    for (int32_t m = 0; m < count; ++m)
        FreeStr(machines[m].km_MachineName);
    FreeVec(machines);
}

int32_t find_machine(const QXMachineRec* machines, int32_t count, const char* name) noexcept
{
    for (int32_t m = 0; m < count; ++m) {
        if (StriCmp(machines[m].km_MachineName, name) == 0)
            return m;
    }
    return -1;
}

MachineTable::MachineTable(MachineTable&& other) noexcept
    : m_machines(std::exchange(other.m_machines, nullptr)), m_count(std::exchange(other.m_count, 0))
{
}

MachineTable& MachineTable::operator=(MachineTable&& other) noexcept
{
    if (this != &other) {
        free_machine_table(m_machines, m_count);
        m_machines = std::exchange(other.m_machines, nullptr);
        m_count = std::exchange(other.m_count, 0);
    }
    return *this;
}

MachineTable MachineTable::adopt(QXMachineRec* machines, int32_t count) noexcept
{
    MachineTable table;
    table.m_machines = machines;
    table.m_count = machines == nullptr ? 0 : count;
    return table;
}

QXMachineRec* MachineTable::release(int32_t& count) noexcept
{
    count = std::exchange(m_count, 0);
    return std::exchange(m_machines, nullptr);
}

bool MachineTable::copy_from(const QXMachineRec* machines, int32_t count)
{
    MachineTable copy;
    if (machines != nullptr && count > 0) {
        QXMachineRec* block = allocate_table(count, layer_count(machines, count));
        if (block == nullptr)
            return false;
        QXLayerRec* layers = first_layer_slot(block, count);
        std::memcpy(static_cast<void*>(block), machines,
                    sizeof(QXMachineRec) * static_cast<size_t>(count));
        // Until each name is copied the block owns none: the copy frees names only of
        // machines it has finished.
        for (int32_t m = 0; m < count; ++m)
            block[m].km_MachineName = nullptr;
        copy = adopt(block, count);
        for (int32_t m = 0; m < count; ++m) {
            QXMachineRec& machine = block[m];
            const int32_t layer_total = machines[m].km_NumLayers > 0 ? machines[m].km_NumLayers : 0;
            if (layer_total > 0)
                std::memcpy(layers, machines[m].km_Layers,
                            sizeof(QXLayerRec) * static_cast<size_t>(layer_total));
            machine.km_NumLayers = layer_total;
            machine.km_Layers = layers;
            layers += layer_total;
            if (machines[m].km_MachineName != nullptr) {
                machine.km_MachineName = AllocStr(0, machines[m].km_MachineName);
                if (machine.km_MachineName == nullptr)
                    return false;
            }
        }
    }
    *this = std::move(copy);
    return true;
}

bool MachineTable::build(std::span<const QXLayerDefRec> definitions)
{
    // The distinct machine names, each as it first appears, with their layer counts.
    std::vector<const char*> names;
    std::vector<int32_t> layer_counts;
    int64_t layers = 0;
    for (const QXLayerDefRec& definition : definitions) {
        if (!definition.is_tooling_layer())
            continue;
        size_t index = 0;
        while (index < names.size() && StriCmp(names[index], definition.machine_name) != 0)
            ++index;
        if (index == names.size()) {
            names.push_back(definition.machine_name);
            layer_counts.push_back(0);
        }
        ++layer_counts[index];
        ++layers;
    }
    MachineTable table;
    if (!names.empty()) {
        const auto count = static_cast<int32_t>(names.size());
        QXMachineRec* block = allocate_table(count, layers);
        if (block == nullptr)
            return false;
        for (int32_t m = 0; m < count; ++m)
            ClearMachine(&block[m]);
        table = adopt(block, count);
        QXLayerRec* slot = first_layer_slot(block, count);
        for (int32_t m = 0; m < count; ++m) {
            QXMachineRec& machine = block[m];
            machine.km_MachineName = AllocStr(0, names[m]);
            if (machine.km_MachineName == nullptr)
                return false;
            machine.km_Layers = slot;
            for (const QXLayerDefRec& definition : definitions) {
                if (definition.is_tooling_layer() &&
                    StriCmp(definition.machine_name, names[m]) == 0)
                    *slot++ = QXLayerRec{definition.id, definition.kind(), 0};
            }
            machine.km_NumLayers = static_cast<int32_t>(slot - machine.km_Layers);
        }
    }
    *this = std::move(table);
    return true;
}

int32_t MachineTable::add(const char* name) noexcept
{
    const int64_t machines = int64_t{m_count} + 1;
    if (machines > INT32_MAX)
        return make_error(IoErrNoMemory);
    QXMachineRec* block =
        allocate_table(machines, layer_count(m_machines, m_count) + kDefaultLayerCount);
    if (block == nullptr)
        return make_error(IoErrNoMemory);
    QXMachineRec& added = block[m_count];
    ClearMachine(&added);
    added.km_MachineName = AllocStr(0, name);
    if (added.km_MachineName == nullptr) {
        FreeVec(block);
        return make_error(IoErrNoMemory);
    }
    // The names move with their machines into the new block.
    QXLayerRec* slot = first_layer_slot(block, machines);
    for (int32_t m = 0; m < m_count; ++m) {
        block[m] = m_machines[m];
        const int32_t layer_total = m_machines[m].km_NumLayers > 0 ? m_machines[m].km_NumLayers : 0;
        if (layer_total > 0)
            std::memcpy(slot, m_machines[m].km_Layers,
                        sizeof(QXLayerRec) * static_cast<size_t>(layer_total));
        block[m].km_Layers = slot;
        block[m].km_NumLayers = layer_total;
        slot += layer_total;
    }
    added.km_Layers = slot;
    added.km_NumLayers = kDefaultLayerCount;
    for (int32_t i = 0; i < kDefaultLayerCount; ++i)
        slot[i] = QXLayerRec{-1, QXLayerKindFirstTooling + i, 0};
    FreeVec(m_machines);
    m_machines = block;
    return m_count++;
}

}

extern "C" {

TRENNIC_API int32_t AddMachine(QXGeometryRec* geometry, const char* name) noexcept
{
    if (geometry == nullptr || name == nullptr)
        return trennic::make_error(IoErrRequiredArgMissing);
    trennic::MachineTable table =
        trennic::MachineTable::adopt(geometry->kz_Machines, geometry->kz_NumMachines);
    const int32_t index = table.add(name);
    geometry->kz_Machines = table.release(geometry->kz_NumMachines);
    return index;
}
}
