/*
 * OLE drag and drop and accessibility: the Win32 calls of the list-view control that
 * have no counterpart here yet. They keep their contracts and do nothing visible.
 *
 * Provided here: RegisterDragDrop and RevokeDragDrop (the registration is recorded),
 * DoDragDrop (cancels at once), NotifyWinEvent (nothing) and
 * LresultFromObject (0: no accessible object is handed out).
 */
#ifndef PLATFORM_DRAG_AND_ACCESSIBILITY_H
#define PLATFORM_DRAG_AND_ACCESSIBILITY_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

typedef LONG HRESULT;
#define S_OK 0
#define S_FALSE 1
#define DRAGDROP_S_DROP 0x00040100
#define DRAGDROP_S_CANCEL 0x00040101
#ifdef __cplusplus
#define E_INVALIDARG (static_cast<HRESULT>(0x80070057u))
#define DRAGDROP_E_NOTREGISTERED (static_cast<HRESULT>(0x80040100u))
#define DRAGDROP_E_ALREADYREGISTERED (static_cast<HRESULT>(0x80040101u))
#define DRAGDROP_E_INVALIDHWND (static_cast<HRESULT>(0x80040102u))
#else
#define E_INVALIDARG ((HRESULT)0x80070057u)
#define DRAGDROP_E_NOTREGISTERED ((HRESULT)0x80040100u)
#define DRAGDROP_E_ALREADYREGISTERED ((HRESULT)0x80040101u)
#define DRAGDROP_E_INVALIDHWND ((HRESULT)0x80040102u)
#endif

#define DROPEFFECT_NONE 0u
#define DROPEFFECT_COPY 1u
#define DROPEFFECT_MOVE 2u
#define DROPEFFECT_LINK 4u
#define DROPEFFECT_SCROLL 0x80000000u

/* The COM interfaces are the caller's; the platform only passes them on. */
typedef struct IDropTarget IDropTarget;
typedef struct IDropSource IDropSource;
typedef struct IDataObject IDataObject;
typedef struct GUID GUID;

/* S_OK, DRAGDROP_E_INVALIDHWND for a window that does not exist, E_INVALIDARG for a
 * NULL target, DRAGDROP_E_ALREADYREGISTERED for a window registered already. The
 * target is not called and not referenced. */
PLATFORM_API HRESULT RegisterDragDrop(HWND window, IDropTarget* target) PLATFORM_NOEXCEPT;
/* S_OK, or DRAGDROP_E_NOTREGISTERED. */
PLATFORM_API HRESULT RevokeDragDrop(HWND window) PLATFORM_NOEXCEPT;
/* No drag between programs here: DRAGDROP_S_CANCEL, *effect DROPEFFECT_NONE. */
PLATFORM_API HRESULT DoDragDrop(IDataObject* data, IDropSource* source, DWORD allowed,
                                LPDWORD effect) PLATFORM_NOEXCEPT;

#define OBJID_WINDOW 0
#define OBJID_CLIENT (-4)
#define EVENT_OBJECT_FOCUS 0x8005u
#define EVENT_OBJECT_SELECTION 0x8006u
#define EVENT_OBJECT_STATECHANGE 0x800Au
#define EVENT_OBJECT_NAMECHANGE 0x800Cu
#define CHILDID_SELF 0

/* Assistive technology is not served: nothing happens. */
PLATFORM_API void NotifyWinEvent(DWORD event, HWND window, LONG object,
                                 LONG child) PLATFORM_NOEXCEPT;
/* 0: no object is marshalled to a client. */
PLATFORM_API LRESULT LresultFromObject(const GUID* interface_id, WPARAM wparam,
                                       void* object) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
