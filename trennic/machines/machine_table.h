// A machine table in the geometry record's layout (trennic/machines.h), owned while
// the part reader builds it aside and handed to the record when the load succeeds.
#ifndef TRENNIC_MACHINES_MACHINE_TABLE_H
#define TRENNIC_MACHINES_MACHINE_TABLE_H

#include <cstdint>
#include <span>

#include "machines/layer_definitions.h"
#include "trennic/machines.h"

namespace trennic {

// Frees the names and the block of a table in the record's layout.
void free_machine_table(QXMachineRec* machines, int32_t count) noexcept;

// The index of the first machine called name without regard to case, or -1.
int32_t find_machine(const QXMachineRec* machines, int32_t count, const char* name) noexcept;

class MachineTable {
public:
    MachineTable() = default;
    ~MachineTable() { free_machine_table(m_machines, m_count); }
    MachineTable(MachineTable&& other) noexcept;
    MachineTable& operator=(MachineTable&& other) noexcept;
    MachineTable(const MachineTable&) = delete;
    MachineTable& operator=(const MachineTable&) = delete;

    QXMachineRec* machines() const { return m_machines; }
    int32_t count() const { return m_count; }

    // Takes over a table in the record's layout.
    static MachineTable adopt(QXMachineRec* machines, int32_t count) noexcept;
    // Gives the table away: the caller owns what it gets, this table is empty after.
    QXMachineRec* release(int32_t& count) noexcept;

    // A deep copy of a table in the record's layout; false when memory fails.
    bool copy_from(const QXMachineRec* machines, int32_t count);
    // The machines of the definitions of layer kinds 16 to 21: one per distinct machine
    // name (without regard to case) in order of first appearance, each with one layer
    // per such definition, in definition order. No definition of those kinds gives an
    // empty table without a block. false when memory fails.
    bool build(std::span<const QXLayerDefRec> definitions);
    // Appends a machine with six default layers (AddMachine); its index, or -1 when
    // memory fails (the table unchanged).
    int32_t add(const char* name) noexcept;

    int32_t find(const char* name) const noexcept
    {
        return find_machine(m_machines, m_count, name);
    }

private:
    QXMachineRec* m_machines = nullptr;
    int32_t m_count = 0;
};

}

#endif
