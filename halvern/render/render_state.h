// Process-wide switches that the renderers, the item primitives and the pick functions
// share. Drawing runs on the GUI thread, one call at a time, so none of them is locked.
#ifndef HALVERN_RENDER_RENDER_STATE_H
#define HALVERN_RENDER_RENDER_STATE_H

#include <cstdint>

namespace halvern {

// 1 while a pick function renders: the primitives draw nothing and report hits in
// RenderHit instead. The pick functions save, set and restore it. Initially 0.
extern int32_t RenderPickMode;

// Set to 1 by a primitive in pick mode when its shape touches the pick window. The
// renderer clears it at the start of a call and before each primitive. Initially 0.
extern int32_t RenderHit;

// 1: segments, arcs and ellipses are clipped and culled against the visible window
// (dxf_DrwgViewSize). 0 during the fill pass of the filled renderers, so that the
// outlines of a path stay whole and connected. Initially 1.
extern int32_t RenderClipLines;

// Colour reference (0x00BBGGRR) that DXFDisplayColour keeps colours apart from; set by
// SetDXFBackgroundColour (halvern/palette.h). Initially 0, black.
extern uint32_t RenderBackground;

} // namespace halvern

#endif
