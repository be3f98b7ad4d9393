#include "render/render_state.h"

namespace halvern {

// Constant initialisers (constinit, on the declarations too): a thread's switches need
// no dynamic initialisation, so an access costs no guard and no call of a wrapper.
[[gnu::tls_model("initial-exec")]] constinit thread_local int32_t RenderPickMode = 0;
[[gnu::tls_model("initial-exec")]] constinit thread_local int32_t RenderHit = 0;
[[gnu::tls_model("initial-exec")]] constinit thread_local int32_t RenderClipLines = 1;
[[gnu::tls_model("initial-exec")]] constinit thread_local uint32_t RenderBackground = 0;

} // namespace halvern
