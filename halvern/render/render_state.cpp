#include "render/render_state.h"

namespace halvern {

// Plain integers with constant initialisers: the library may draw from a start-up step
// before any dynamic initialisation would have run.
int32_t RenderPickMode = 0;
int32_t RenderHit = 0;
int32_t RenderClipLines = 1;
uint32_t RenderBackground = 0;

} // namespace halvern
