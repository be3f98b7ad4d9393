/*
 * Services of Osmark's windows and graphics that the core calls: the start-up's
 * initialisers, the notifications of a changed message catalogue, message pumping for
 * code that waits, and the warning requester.
 */
#ifndef OSMARK_GUI_SERVICES_H
#define OSMARK_GUI_SERVICES_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

struct Window;
struct IDCMPMsg;

/* Start-up steps; each registers its clean-up on the library exit list. */
OSMARK_API void InitialiseRegionPool(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialiseFonts(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialiseRastPorts(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialiseClipFormats(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialiseImages(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialiseDitherPatterns(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialiseFrames(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialiseKeyCodes(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialisePointers(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialiseMenus(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialiseMsgs(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialiseClasses(void) OSMARK_NOEXCEPT;
OSMARK_API void InitialisePopups(void) OSMARK_NOEXCEPT;

/* Asks every open window to repaint its whole client area. */
OSMARK_API int32_t RefreshAllWindows(void) OSMARK_NOEXCEPT;

/* Change codes of BroadcastGadgetChange. */
enum GadgetChange {
    GadgetChangeColours = 1,
    GadgetChangeDisplay = 2,
    GadgetChangeGUIMsgs = 3,
    GadgetChangeLook = 4
};
/* Tells every custom gadget of every open window about a change; returns 0. */
OSMARK_API uint32_t BroadcastGadgetChange(uint32_t change) OSMARK_NOEXCEPT;

/* Copies the first queued message of window (NULL: any window of the calling thread)
 * whose class is in class_mask (0: any) into message, taking it off the queue when
 * remove is set; dispatches pending platform messages meanwhile without waiting.
 * 1 when one was found, 0 when none is left. */
OSMARK_API int32_t PeekMsg(struct IDCMPMsg* message, struct Window* window, uint32_t class_mask,
                           int32_t remove) OSMARK_NOEXCEPT;
/* Dispatches every platform message waiting for the calling thread; never waits.
 * Returns 0. */
OSMARK_API int32_t ProcessMsgs(void) OSMARK_NOEXCEPT;

/* Shows a modal requester over window (NULL: none) with title, a body formatted from
 * format and the arguments (printf-style), and one button per '|'-separated text of
 * buttons. Returns the number of the button picked (the last button gives 0), or -2
 * when the requester cannot be built. Without a display, the title and body go to
 * standard error and the last button answers. */
OSMARK_API int32_t EasyRequest(struct Window* window, const char* title, const char* format,
                               const char* buttons, ...) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
