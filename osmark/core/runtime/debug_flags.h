// The debug flags set by DebugOn, read by the reports at unload.
#ifndef OSMARK_CORE_DEBUG_FLAGS_H
#define OSMARK_CORE_DEBUG_FLAGS_H

#include <cstdint>

namespace osmark {

uint32_t debug_flags();

inline bool debug_flag_set(uint32_t flag)
{
    return (debug_flags() & flag) != 0;
}

}

#endif
