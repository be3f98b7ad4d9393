// Colours: system colours to their values.

#include "framework/types.h"

#include "platform/system_metrics.h"

namespace fw {

TColor ColorToRGB(TColor color)
{
    // System colours have the sign bit set and their COLOR_ index in the low byte.
    if (color < 0)
        return static_cast<TColor>(GetSysColor(color & 0xFF));
    return color;
}

}
