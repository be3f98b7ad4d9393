// Switches that the renderers, the item primitives and the pick functions share while
// one drawing is drawn or picked.
//
// Each thread has its own: a switch is set and read within one render or pick call on
// the calling thread (a pick sets pick mode around its pass, the renderer clears the
// hit before each primitive), so two threads that draw two drawings at once must not see
// each other's settings. The background colour follows the same rule: the thread that
// draws sets it (SetDXFBackgroundColour) before it draws.
#ifndef HALVERN_RENDER_RENDER_STATE_H
#define HALVERN_RENDER_RENDER_STATE_H

#include <cstdint>

// The primitives read the switches for every segment: the initial-exec model makes
// each read one load at a fixed offset from the thread pointer, where the default model
// of a shared library calls __tls_get_addr. The library's static TLS is these few bytes,
// which the loader's reserve holds also when the library is loaded by dlopen.
namespace halvern {

// 1 while a pick function renders: the primitives draw nothing and report hits in
// RenderHit instead. The pick functions save, set and restore it. Initially 0.
[[gnu::tls_model("initial-exec")]] extern thread_local constinit int32_t RenderPickMode;

// Set to 1 by a primitive in pick mode when its shape touches the pick window. The
// renderer clears it at the start of a call and before each primitive. Initially 0.
[[gnu::tls_model("initial-exec")]] extern thread_local constinit int32_t RenderHit;

// 1: segments, arcs and ellipses are clipped and culled against the visible window
// (dxf_DrwgViewSize). 0 during the fill pass of the filled renderers, so that the
// outlines of a path stay whole and connected. Initially 1.
[[gnu::tls_model("initial-exec")]] extern thread_local constinit int32_t RenderClipLines;

// Colour reference (0x00BBGGRR) that DXFDisplayColour keeps colours apart from; set by
// SetDXFBackgroundColour (halvern/palette.h) for the calling thread. Initially 0, black.
[[gnu::tls_model("initial-exec")]] extern thread_local constinit uint32_t RenderBackground;

} // namespace halvern

#endif
