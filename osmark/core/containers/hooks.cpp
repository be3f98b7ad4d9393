#include "osmark/hooks.h"

extern "C" {

OSMARK_API uintptr_t CallHookA(Hook* hook, void* object, void* message) noexcept
{
    if (hook == nullptr || hook->h_Entry == nullptr)
        return static_cast<uintptr_t>(-1);
    return hook->h_Entry(hook, object, message);
}

}
