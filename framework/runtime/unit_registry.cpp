#include "framework/sysutils.h"

#include <cstdio>
#include <exception>

namespace fw {

UnitRegistry::~UnitRegistry()
{
    FinalizeAll();
}

void UnitRegistry::Add(const char* name, Step initialization, Step finalization)
{
    m_units.push_back({name, std::move(initialization), std::move(finalization)});
}

void UnitRegistry::InitializeAll()
{
    try {
        while (m_initialized < m_units.size()) {
            const Unit& unit = m_units[m_initialized];
            if (unit.initialization)
                unit.initialization();
            ++m_initialized;
        }
    } catch (...) {
        FinalizeAll();
        throw;
    }
}

void UnitRegistry::FinalizeAll() noexcept
{
    while (m_initialized > 0) {
        const Unit& unit = m_units[--m_initialized];
        if (!unit.finalization)
            continue;
        try {
            unit.finalization();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "Finalization of %s failed: %s\n", unit.name, error.what());
        } catch (...) {
            std::fprintf(stderr, "Finalization of %s failed\n", unit.name);
        }
    }
}

}
