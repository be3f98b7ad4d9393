// Osmark's library entry: start-up when the library is loaded, shut-down when it is
// unloaded.
//
// The start-up runs the components' initialisers in one fixed order; each registers
// its clean-up on LibraryExitList, which the shut-down runs last registered first.
//
// Osmark's own file-scope objects are constant-initialised and trivially
// destructible: the entry runs from an ELF constructor, so no C++ dynamic initialiser
// may run after it and reset its state, and no static destructor may run before the
// exit list that still uses it.

#include "core/runtime/startup_steps.h"
#include "osmark/gui_services.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/profile_services.h"
#include "osmark/testing.h"
#include "core/runtime/debug_flags.h"
#include "platform/kernel.h"
#include "platform/user.h"

namespace {

constexpr DWORD kProcessDetach = 0;
constexpr DWORD kProcessAttach = 1;

struct StartupStep {
    const char* name;
    void (*run)();
};

// The start-up sequence. A component joins it in its own place when it is built, so
// that the library always runs the steps it has in this order.
constexpr StartupStep kStartupSteps[] = {
    {"InitialiseIoErrTable", osmark::InitialiseIoErrTable},
    {"InitialiseForbid", osmark::InitialiseForbid},
    {"InitialiseDelay", InitialiseDelay},
    {"InitialiseLocaleDefaults", osmark::InitialiseLocaleDefaults},
    {"InitialiseArgStr", osmark::InitialiseArgStr},
    {"InitialiseDosObjects", osmark::InitialiseDosObjects},
    {"InitialiseFiles", osmark::InitialiseFiles},
    {"InitialiseProgramDir", osmark::InitialiseProgramDir},
    {"InitialiseAssigns", InitialiseAssigns},
    {"InitialiseLocale", osmark::InitialiseLocaleAndVariables},
    {"InitialiseAssignFile", InitialiseAssignFile},
    {"InitialiseFileSystems", osmark::InitialiseFileSystems},
    {"InitialiseSharedMemory", osmark::InitialiseSharedMemory},
    {"InitialiseMsgPorts", osmark::InitialiseMsgPorts},
    {"InitialiseRegionPool", InitialiseRegionPool},
    {"InitialiseFonts", InitialiseFonts},
    {"InitialiseRastPorts", InitialiseRastPorts},
    {"InitialiseClipFormats", InitialiseClipFormats},
    {"InitialiseImages", InitialiseImages},
    {"InitialiseDitherPatterns", InitialiseDitherPatterns},
    {"InitialiseTagPool", osmark::InitialiseTagPool},
    {"InitialiseFrames", InitialiseFrames},
    {"InitialiseGUIMsgs", osmark::InitialiseGUIMsgs},
    {"InitialiseKeyCodes", InitialiseKeyCodes},
    {"InitialisePointers", InitialisePointers},
    {"InitialiseMenus", InitialiseMenus},
    {"InitialiseMsgs", InitialiseMsgs},
    {"InitialiseClasses", InitialiseClasses},
    {"InitialisePopups", InitialisePopups},
    {"InitialisePointBuffers", InitialisePointBuffers},
};
constexpr uint32_t kStepCount = sizeof kStartupSteps / sizeof kStartupSteps[0];

const char* g_steps_run[kStepCount] = {};
uint32_t g_steps_run_count = 0;

// The allocation report is formatted here so that nothing is allocated after the
// exit list has run.
char g_allocation_report[96];

void start_up()
{
    for (const StartupStep& step : kStartupSteps) {
        step.run();
        g_steps_run[g_steps_run_count++] = step.name;
    }
}

void shut_down()
{
    CallAllExitProcs(&LibraryExitList);
    if (osmark::debug_flag_set(DebugAllocations)) {
        AllocInfo(g_allocation_report);
        MessageBoxA(nullptr, g_allocation_report, "Information", MB_OK);
    }
}

BOOL library_entry(HINSTANCE instance, DWORD reason, void* /*reserved*/)
{
    switch (reason) {
    case kProcessAttach:
        Instance = instance;
        LibraryExitList.el_Current = nullptr;
        LibraryExitList.el_Top = nullptr;
        start_up();
        break;
    case kProcessDetach:
        shut_down();
        break;
    default:
        break;
    }
    return TRUE;
}

HINSTANCE own_module()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&LibraryExitList), &module);
    return module;
}

__attribute__((constructor)) void osmark_process_attach()
{
    library_entry(own_module(), kProcessAttach, nullptr);
}

__attribute__((destructor)) void osmark_process_detach()
{
    library_entry(Instance, kProcessDetach, nullptr);
}

}

extern "C" {

OSMARK_API HINSTANCE Instance = nullptr;
OSMARK_API ExitList LibraryExitList = {nullptr, nullptr};

OSMARK_TESTING_API const char* const* osmark_testing_startup_steps(uint32_t* count) noexcept
{
    if (count != nullptr)
        *count = g_steps_run_count;
    return g_steps_run;
}

}
