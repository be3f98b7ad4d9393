/*
 * Clipboard units, the caret and the alert. Unit 1 (a NULL or empty name) is the
 * desktop's clipboard; any other name is a private unit whose entries are files under
 * "ENV:system\clips" (name.0, name.1, ...: a four-byte format identifier, then the
 * data). Formats: 0 "Interchange File Format Clip", 1 text (CF_TEXT), 2 bitmaps
 * (CF_DIB), and those NewClipFormat adds. The caret is one per process, owned by one
 * window at a time.
 */
#ifndef OSMARK_CLIPBOARD_H
#define OSMARK_CLIPBOARD_H

#include "osmark/api.h"
#include "osmark/bitmaps.h"
#include "osmark/windows.h"

OSMARK_BEGIN_DECLS

enum ClipFormatId {
    ClipFormatIFF = 0,
    ClipFormatText = 1,
    ClipFormatBitMap = 2
};

/* 1 for the desktop's clipboard, 100 and above for a private unit, 0 on failure. */
OSMARK_API int32_t OpenClip(const char* unit) OSMARK_NOEXCEPT;
OSMARK_API void CloseClip(int32_t unit_id) OSMARK_NOEXCEPT;
OSMARK_API void ClearClip(const char* unit) OSMARK_NOEXCEPT;
OSMARK_API int32_t WriteClip(const char* unit, int32_t format, const void* data,
                             uint32_t size) OSMARK_NOEXCEPT;
/* A new block (FreeVec it) with the data of the format, its size through size; NULL
 * when there is none. */
OSMARK_API void* ReadClip(const char* unit, int32_t format, uint32_t* size) OSMARK_NOEXCEPT;
OSMARK_API int32_t ClipHasFormat(const char* unit, int32_t format) OSMARK_NOEXCEPT;
OSMARK_API int32_t WriteTextToClip(const char* unit, const char* text) OSMARK_NOEXCEPT;
OSMARK_API char* ReadTextFromClip(const char* unit) OSMARK_NOEXCEPT;
OSMARK_API int32_t WriteBitMapToClip(const char* unit, const BitMap* bitmap) OSMARK_NOEXCEPT;
OSMARK_API BitMap* ReadBitMapFromClip(const char* unit) OSMARK_NOEXCEPT;
/* The identifier of a format registered by name; -1 on failure. */
OSMARK_API int32_t NewClipFormat(const char* name) OSMARK_NOEXCEPT;

/* The caret of the process. */
typedef struct CaretInfo {
    Window* ci_Owner;
    int32_t ci_Created;
    int32_t ci_Visible;
    int32_t ci_Width;
    int32_t ci_Height;
    int32_t ci_LastX;
    int32_t ci_LastY;
} CaretInfo;

OSMARK_API extern CaretInfo __CaretInfo;

OSMARK_API void SetCaret(Window* window, int32_t width, int32_t height) OSMARK_NOEXCEPT;
OSMARK_API void DisplayCaret(int32_t show) OSMARK_NOEXCEPT;
OSMARK_API void MoveCaret(int32_t x, int32_t y) OSMARK_NOEXCEPT;
OSMARK_API void SetTextCaret(Window* window, const GadgetContext* context) OSMARK_NOEXCEPT;
/* Flashes the window and beeps; the result of the last flash. */
OSMARK_API int32_t DisplayBeep(Window* window) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
