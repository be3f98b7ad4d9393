/*
 * Osmark's windows, as far as the graphics layer needs them: the Window record, opening
 * a window from the defaults, closing it, the first open window, and the record sent
 * with gadget methods. A window opened while no other is open is not shown.
 */
#ifndef OSMARK_WINDOWS_H
#define OSMARK_WINDOWS_H

#include "osmark/api.h"
#include "osmark/raster_ports.h"
#include "osmark/tags.h"
#include "platform/win_types.h"

OSMARK_BEGIN_DECLS

struct Menu;
struct Gadget;
struct Pointer;
struct BitMap;
struct IDCMPMsg;

typedef struct Window {
    struct Window* win_Next; /* the open list, later the stale list */
    int32_t win_Left;        /* outer box in screen coordinates */
    int32_t win_Top;
    int32_t win_Width;
    int32_t win_Height;
    int32_t win_ClientWidth;
    int32_t win_ClientHeight;
    int32_t win_MinWidth;
    int32_t win_MinHeight;
    int32_t win_MaxWidth;
    int32_t win_MaxHeight;
    int16_t win_BorderLeft;
    int16_t win_BorderTop;
    int16_t win_BorderRight;
    int16_t win_BorderBottom;
    uint32_t win_Flags;
    struct Menu* win_MenuStrip;
    struct Menu* win_PopupMenuStrip;
    struct Menu* win_ShownPopupMenu;
    char* win_Title;
    RastPort* win_RPort; /* the current port for drawing */
    struct Gadget* win_FirstGadget;
    struct Window* win_Owner;
    struct Window* win_Parent;
    struct Window* win_FirstChild;
    struct Window* win_NextSibling;
    uint32_t win_IDCMPFlags;
    void (*win_RefreshFunc)(struct Window* window);
    uintptr_t (*win_MessageFunc)(struct Window* window, struct IDCMPMsg* message);
    uintptr_t (*win_FilterFunc)(struct Window* window, struct IDCMPMsg* message);
    uintptr_t (*win_ChangeFunc)(struct Window* window, struct IDCMPMsg* message);
    uintptr_t (*win_SysCommandFunc)(struct Window* window, uint32_t kind);
    uintptr_t (*win_SizingFunc)(struct Window* window, void* message);
    uintptr_t win_UserData;
    void* win_Object;
    struct Pointer* win_Pointer;
    RastPort* win_OwnRPort; /* the port over the window's device context */
    struct BitMap* win_BackingBitMap;
    uint32_t win_Flags2;
    uint32_t win_HelpGroup;
    int32_t win_DamageLeft;
    int32_t win_DamageTop;
    int32_t win_DamageRight;
    int32_t win_DamageBottom;
    HWND win_Handle;
} Window;

/* The window flag of a visible window. */
#define WFLG_VISIBLE 0x800u

/* Sent with gadget methods: the window, its port and the window box; the rest 0. */
typedef struct GadgetContext {
    Window* gc_Window;
    RastPort* gc_RPort;
    int32_t gc_Left;
    int32_t gc_Top;
    int32_t gc_Width;
    int32_t gc_Height;
    uintptr_t gc_Reserved[6];
} GadgetContext;

/* Opens a window; tags may be NULL for every default. NULL on failure. */
OSMARK_API Window* OpenWindowTagList(const TagItem* tags) OSMARK_NOEXCEPT;
/* Closes and frees the window with its port; 1. */
OSMARK_API int32_t CloseWindow_(Window* window) OSMARK_NOEXCEPT;
/* The first open window, or NULL. */
OSMARK_API Window* GetFirstWindow(void) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
