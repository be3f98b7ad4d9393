// Exit lists and debug flags.
//
// An exit list is a stack of records. Registering pushes a record that remembers the
// list's previous top record and previous current procedure, and makes the pop step
// the current procedure. CallAllExitProcs calls the current procedure until none is
// left; each pop restores the previous state, frees its record and runs the clean-up,
// so a clean-up that registers another one puts it on top and it runs next.

#include "osmark/exit_list.h"

#include "core/runtime/debug_flags.h"
#include "core/runtime/make_error.h"
#include "osmark/errors.h"
#include "osmark/memory.h"

struct ExitRecord {
    ExitRecord* previous_top;
    void (*previous_current)(ExitList* list);
    ExitProc procedure;
    uintptr_t reserved[2];
};

namespace {

uint32_t g_debug_flags = 0;

void pop_exit_record(ExitList* list)
{
    ExitRecord* record = list->el_Top;
    if (record == nullptr)
        return;
    list->el_Top = record->previous_top;
    list->el_Current = record->previous_current;
    const ExitProc procedure = record->procedure;
    FreeVec(record);
    procedure();
}

}

namespace osmark {

uint32_t debug_flags()
{
    return g_debug_flags;
}

}

extern "C" {

OSMARK_API void AddExitProc(ExitList* list, ExitProc procedure) noexcept
{
    if (list == nullptr || procedure == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    ExitRecord* record = static_cast<ExitRecord*>(AllocVec(sizeof(ExitRecord)));
    if (record == nullptr)
        return;
    record->previous_top = list->el_Top;
    record->previous_current = list->el_Current;
    record->procedure = procedure;
    record->reserved[0] = 0;
    record->reserved[1] = 0;
    list->el_Top = record;
    list->el_Current = pop_exit_record;
}

OSMARK_API void CallAllExitProcs(ExitList* list) noexcept
{
    if (list == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return;
    }
    while (list->el_Current != nullptr) {
        void (*current)(ExitList*) = list->el_Current;
        list->el_Current = nullptr;
        current(list);
    }
    list->el_Current = nullptr;
    list->el_Top = nullptr;
}

OSMARK_API void DebugOn(uint32_t flags) noexcept
{
    g_debug_flags = flags & (DebugAllocations | DebugRegionPool | DebugWindows | DebugMenus |
                             DebugRastPorts);
}

}
