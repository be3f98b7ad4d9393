/*
 * Raster ports: the library's one drawing target. A port keeps the drawing state (two
 * pens, draw mode, line and area patterns, font, clip region, pen position, origin,
 * size, lock) and hands the drawing to its handler's table of operations. The library's
 * own handler draws into device contexts ("OS RastPort Handler"); any caller may bring
 * another.
 *
 * Every call does nothing on a NULL port; drawing calls do nothing while the port's lock
 * is 1. Public coordinates have the port's origin added before they reach the handler.
 * Setters call the handler only when a value changes. All of it belongs to the GUI
 * thread.
 */
#ifndef OSMARK_RASTER_PORTS_H
#define OSMARK_RASTER_PORTS_H

#include "osmark/api.h"
#include "osmark/hooks.h"
#include "osmark/tags.h"
#include "platform/win_types.h"

OSMARK_BEGIN_DECLS

/* 0x00BBGGRR; 0x80000000 + n is system colour n; ColourNone is no colour. */
typedef uint32_t Colour;
#define ColourNone 0x1FFFFFFFu
#define ColourSystem(n) (0x80000000u + (n))

/* Right and bottom edges exclusive; empty when x1 <= x0 or y1 <= y0. */
typedef struct RectangleBox {
    int32_t x0;
    int32_t y0;
    int32_t x1;
    int32_t y1;
} RectangleBox;

/* Draw modes; any other value goes to SetROP2 as it stands. */
enum DrawMode {
    DrawModeTransparent = -1, /* the pen over a transparent background */
    DrawModeOpaque = -2,      /* the pen over the B pen (the default) */
    DrawModeComplement = -3   /* the pen combined with the destination by exclusive or */
};

struct BitMap;
struct Region;
struct TextFont;
struct TextAttr;
struct RastPortHandler;
struct RastPortOps;

typedef struct RastPort {
    Colour rp_APen;       /* outline and text colour; 0 */
    Colour rp_BPen;       /* fill and text background; 0x80000005 */
    int32_t rp_DrMd;      /* DrawMode; -2 */
    uint16_t rp_PenWidth; /* 1 */
    uint32_t
        rp_APenStyle; /* 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 null, 6 inside frame */
    uint32_t rp_BPenStyle;      /* 0 solid, 1 hollow, 2 and above hatched with style - 2 */
    struct BitMap* rp_AreaPtrn; /* fill pattern; NULL solid */
    struct TextFont* rp_Font;
    uint8_t rp_LineSpacing;       /* extra pixels between lines of formatted text */
    int32_t rp_Lock;              /* 1: every drawing call returns at once */
    Hook* rp_BackFillHook;        /* called by EraseRect */
    struct Region* rp_ClipRegion; /* clip levels in port coordinates */
    int32_t rp_PenX;              /* pen position in handler coordinates (origin included) */
    int32_t rp_PenY;
    int32_t rp_OriginX; /* added to every public coordinate */
    int32_t rp_OriginY;
    int32_t rp_Width; /* size of the drawing surface */
    int32_t rp_Height;
    uint32_t rp_BltCode;      /* raster operation of blits; 0xCC0020 */
    int32_t rp_Resolution[4]; /* pixels per inch x, y; aspect x, y (the handler's open) */
    uint32_t rp_LinePtrn;     /* dash pattern; 0xFFFFFFFF solid */
    uint8_t rp_LinePtrnPos;   /* next pattern bit, 0-31 */
    struct RastPortHandler* rp_Handler;
    const struct RastPortOps* rp_Ops;
    struct BitMap* rp_BitMap; /* the BitMap of a bitmap port */
    HDC rp_OSHandle;          /* the device context */
    void* rp_SavedPen;        /* device objects displaced by the handler */
    void* rp_SavedBrush;
    void* rp_SavedFont;
    void* rp_SavedBitMap;
} RastPort;

/* Called for every point of StepDraw's line. */
typedef void (*StepDrawFunc)(RastPort* rp, int32_t x, int32_t y, void* data);
/* Font enumeration: answers 0 to go on. */
typedef int32_t (*FontEnumFunc)(struct TextAttr* attr, uint32_t type, uintptr_t value,
                                void* user_data);

/* The operations of a handler; coordinates are handler coordinates. A NULL slot makes
 * its public call do nothing. */
typedef struct RastPortOps {
    uint32_t rpo_Size; /* sizeof(RastPortOps) */
    void (*rpo_Open)(RastPort* rp, int32_t* accept);
    void (*rpo_Close)(RastPort* rp);
    void (*rpo_Reserved)(RastPort* rp);
    void (*rpo_PenChanged)(RastPort* rp);
    void (*rpo_BrushChanged)(RastPort* rp);
    void (*rpo_ModeChanged)(RastPort* rp);
    void (*rpo_FontChanged)(RastPort* rp);
    void (*rpo_ClipChanged)(RastPort* rp);
    void (*rpo_Flush)(RastPort* rp);
    void (*rpo_Move)(RastPort* rp, int32_t x, int32_t y);
    void (*rpo_Draw)(RastPort* rp, int32_t x, int32_t y);
    void (*rpo_StepDraw)(RastPort* rp, int32_t x, int32_t y, StepDrawFunc func, void* data);
    void (*rpo_ReadPixel)(RastPort* rp, int32_t x, int32_t y, Colour* result);
    void (*rpo_WritePixel)(RastPort* rp, int32_t x, int32_t y, Colour colour);
    void (*rpo_Polygon)(RastPort* rp, int32_t fill, int32_t count, const int32_t* points);
    void (*rpo_Rectangle)(RastPort* rp, int32_t fill, int32_t x0, int32_t y0, int32_t x1,
                          int32_t y1);
    void (*rpo_RoundRectangle)(RastPort* rp, int32_t fill, int32_t x0, int32_t y0, int32_t x1,
                               int32_t y1, int32_t radius_x, int32_t radius_y);
    void (*rpo_Arc)(RastPort* rp, int32_t fill, int32_t x, int32_t y, int32_t width, int32_t height,
                    int32_t start, int32_t sweep);
    void (*rpo_FillRectangle)(RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                              Colour colour);
    void (*rpo_Flood)(RastPort* rp, int32_t x, int32_t y, Colour colour, int32_t mode);
    void (*rpo_Scroll)(RastPort* rp, int32_t dx, int32_t dy, const RectangleBox* scroll,
                       const RectangleBox* clip);
    void (*rpo_Text)(RastPort* rp, const char* text, int32_t length);
    void (*rpo_TextExtent)(RastPort* rp, const char* text, int32_t length, int32_t* size);
    void (*rpo_TextFit)(RastPort* rp, const char* text, int32_t length, int32_t width,
                        int32_t* count);
    void (*rpo_PortBlit)(RastPort* rp, const RectangleBox* dest, RastPort* source,
                         const RectangleBox* src, uint32_t code);
    void (*rpo_ReadArea)(RastPort* rp, const RectangleBox* box, struct BitMap** result);
    void (*rpo_WriteBitMap)(RastPort* rp, const RectangleBox* dest, struct BitMap* bitmap,
                            const RectangleBox* src, uint32_t code);
    void (*rpo_TransparentBlit)(RastPort* rp, const RectangleBox* dest, struct BitMap* bitmap,
                                const RectangleBox* src, struct BitMap* mask, uint32_t colour);
    void (*rpo_EnumFonts)(RastPort* rp, struct TextAttr* attr, uintptr_t value, FontEnumFunc func,
                          void* user_data, int32_t* result);
} RastPortOps;

/* A kind of port: a caller-owned static record. */
typedef struct RastPortHandler {
    const char* rph_Name;
    uintptr_t rph_Reserved;
    Hook* rph_Hook; /* called with the handler record and a message number; may be NULL */
    const RastPortOps* rph_Ops;
} RastPortHandler;

/* Messages to a handler's hook (the message argument is the number itself). */
enum RastPortHandlerMsg {
    RPHM_FirstPort = 100, /* non-zero refuses the port */
    RPHM_Unload = 101,
    RPHM_RebuildPens = 102,
    RPHM_RebuildBrushes = 103
};

/* Tags of SetRPAttrsA and GetRPAttrsA. */
#define RPTAG_Font 0x80000000u
#define RPTAG_APen 0x80000001u
#define RPTAG_BPen 0x80000002u
#define RPTAG_DrMd 0x80000003u
#define RPTAG_LinePtrn 0x80000004u
#define RPTAG_AreaPtrn 0x80000005u
#define RPTAG_PenWidth 0x80000006u
#define RPTAG_Origin 0x80000007u
#define RPTAG_Size 0x80000008u
#define RPTAG_Lock 0x80000009u
#define RPTAG_ClipArea 0x8000000Au

typedef struct APenData {
    Colour apd_Colour;
    uint16_t apd_Width;
    uint32_t apd_Style;
} APenData;

typedef struct BPenData {
    Colour bpd_Colour;
    uint32_t bpd_Style;
} BPenData;

/* Handler 1 in AllocRastPort: the OS handler over a window device context. */
#define RastPortHandlerOSWindow ((RastPortHandler*)1)

/* ---- Creation and state ------------------------------------------------------------ */

OSMARK_API RastPort* AllocRastPort(RastPortHandler* handler, HDC os_handle,
                                   uint32_t extra) OSMARK_NOEXCEPT;
OSMARK_API void FreeRastPort(RastPort* rp) OSMARK_NOEXCEPT;
/* The library's default port: the port of a hidden window that the library opens. */
OSMARK_API RastPort* __GetRastPort(void) OSMARK_NOEXCEPT;
OSMARK_API HDC GetRPHandle(const RastPort* rp) OSMARK_NOEXCEPT;
OSMARK_API void SetAPen(RastPort* rp, Colour colour) OSMARK_NOEXCEPT;
OSMARK_API void SetAPenData(RastPort* rp, const APenData* data) OSMARK_NOEXCEPT;
OSMARK_API void GetAPenData(const RastPort* rp, APenData* data) OSMARK_NOEXCEPT;
OSMARK_API Colour GetAPen(const RastPort* rp) OSMARK_NOEXCEPT;
OSMARK_API void SetBPen(RastPort* rp, Colour colour) OSMARK_NOEXCEPT;
OSMARK_API void SetBPenData(RastPort* rp, const BPenData* data) OSMARK_NOEXCEPT;
OSMARK_API Colour GetBPen(const RastPort* rp) OSMARK_NOEXCEPT;
OSMARK_API void GetBPenData(const RastPort* rp, BPenData* data) OSMARK_NOEXCEPT;
OSMARK_API void SetPenWidth(RastPort* rp, uint16_t width) OSMARK_NOEXCEPT;
OSMARK_API uint16_t GetPenWidth(const RastPort* rp) OSMARK_NOEXCEPT;
OSMARK_API void SetDrMd(RastPort* rp, int32_t mode) OSMARK_NOEXCEPT;
/* The draw mode; 0 for NULL. */
OSMARK_API int32_t GetDrMd(const RastPort* rp) OSMARK_NOEXCEPT;
OSMARK_API void SetABDrMd(RastPort* rp, Colour a_pen, Colour b_pen, int32_t mode) OSMARK_NOEXCEPT;
OSMARK_API void SetAfPt(RastPort* rp, struct BitMap* pattern) OSMARK_NOEXCEPT;
OSMARK_API struct BitMap* GetAfPt(const RastPort* rp) OSMARK_NOEXCEPT;
OSMARK_API void SetDrPt(RastPort* rp, uint32_t pattern) OSMARK_NOEXCEPT;
OSMARK_API uint32_t GetDrPt(const RastPort* rp) OSMARK_NOEXCEPT;
OSMARK_API void SetRastPortOrigin(RastPort* rp, int32_t x, int32_t y) OSMARK_NOEXCEPT;
OSMARK_API void GetRastPortOrigin(const RastPort* rp, int32_t* x, int32_t* y) OSMARK_NOEXCEPT;
OSMARK_API void GetRastPortSize(const RastPort* rp, int32_t* width,
                                int32_t* height) OSMARK_NOEXCEPT;
OSMARK_API void SetRPLock(RastPort* rp, int32_t lock) OSMARK_NOEXCEPT;
OSMARK_API int32_t GetRPLock(const RastPort* rp) OSMARK_NOEXCEPT;
/* Only open fonts are taken; the port holds a use of its font. */
OSMARK_API void SetFont(RastPort* rp, struct TextFont* font) OSMARK_NOEXCEPT;
OSMARK_API struct TextFont* GetFont(const RastPort* rp) OSMARK_NOEXCEPT;
/* hook 0: the default back-fill; 1: none; else a Hook. Answers the previous one in the
 * same coding. */
OSMARK_API uintptr_t InstallRastPortHook(RastPort* rp, uintptr_t hook) OSMARK_NOEXCEPT;
OSMARK_API int32_t SetRPAttrsA(RastPort* rp, const TagItem* tags) OSMARK_NOEXCEPT;
OSMARK_API int32_t SetRPAttrs(RastPort* rp, ...) OSMARK_NOEXCEPT;
OSMARK_API int32_t GetRPAttrsA(RastPort* rp, TagItem* tags) OSMARK_NOEXCEPT;
OSMARK_API int32_t GetRPAttrs(RastPort* rp, ...) OSMARK_NOEXCEPT;
typedef void (*RastPortWalkFunc)(RastPort* rp, uintptr_t value);
OSMARK_API void WalkRastPorts(RastPortHandler* handler, RastPortWalkFunc func,
                              uintptr_t value) OSMARK_NOEXCEPT;
OSMARK_API void RefreshRastPortPens(void) OSMARK_NOEXCEPT;
OSMARK_API void FlushRastPort(RastPort* rp) OSMARK_NOEXCEPT;

/* ---- Drawing --------------------------------------------------------------------- */

OSMARK_API void Move(RastPort* rp, int32_t x, int32_t y) OSMARK_NOEXCEPT;
OSMARK_API void Draw(RastPort* rp, int32_t x, int32_t y) OSMARK_NOEXCEPT;
OSMARK_API void StepDraw(RastPort* rp, int32_t x, int32_t y, StepDrawFunc func,
                         void* data) OSMARK_NOEXCEPT;
/* The pen position less the origin; 1, or 0 for a NULL port. */
OSMARK_API int32_t GetPenPos(const RastPort* rp, int32_t* xy) OSMARK_NOEXCEPT;
/* Reads also while the port is locked; ColourNone without the operation. */
OSMARK_API Colour GetRPPixel(RastPort* rp, int32_t x, int32_t y) OSMARK_NOEXCEPT;
OSMARK_API void SetRPPixel(RastPort* rp, int32_t x, int32_t y, Colour colour) OSMARK_NOEXCEPT;
/* points: count pairs of i32. DrawPoly draws an open polyline. */
OSMARK_API void DrawPoly(RastPort* rp, int32_t count, const int32_t* points) OSMARK_NOEXCEPT;
OSMARK_API void AreaPoly(RastPort* rp, int32_t count, const int32_t* points) OSMARK_NOEXCEPT;
OSMARK_API void DrawRect(RastPort* rp, const RectangleBox* box) OSMARK_NOEXCEPT;
OSMARK_API void AreaRect(RastPort* rp, const RectangleBox* box) OSMARK_NOEXCEPT;
OSMARK_API void RectFill(RastPort* rp, const RectangleBox* box, Colour colour) OSMARK_NOEXCEPT;
OSMARK_API void RectangleFill(RastPort* rp, const RectangleBox* box) OSMARK_NOEXCEPT;
/* Calls the back-fill hook with the port and the box (port coordinates). */
OSMARK_API void EraseRect(RastPort* rp, int32_t x0, int32_t y0, int32_t x1,
                          int32_t y1) OSMARK_NOEXCEPT;
OSMARK_API void SetRast(RastPort* rp, Colour colour) OSMARK_NOEXCEPT;
OSMARK_API void ClearEOL(RastPort* rp) OSMARK_NOEXCEPT;
OSMARK_API void ClearScreen(RastPort* rp) OSMARK_NOEXCEPT;
OSMARK_API void DrawRectRound(RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                              int32_t radius_x, int32_t radius_y) OSMARK_NOEXCEPT;
OSMARK_API void AreaRectRound(RastPort* rp, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                              int32_t radius_x, int32_t radius_y) OSMARK_NOEXCEPT;
/* Angles in hundredths of a degree, counter-clockwise. */
OSMARK_API void DrawArc(RastPort* rp, int32_t x, int32_t y, int32_t width, int32_t height,
                        int32_t start, int32_t sweep) OSMARK_NOEXCEPT;
OSMARK_API void AreaArc(RastPort* rp, int32_t x, int32_t y, int32_t width, int32_t height,
                        int32_t start, int32_t sweep) OSMARK_NOEXCEPT;
/* mode 1 fills the area of the colour; any other mode up to a border of the colour. */
OSMARK_API void Flood(RastPort* rp, int32_t x, int32_t y, Colour colour,
                      int32_t mode) OSMARK_NOEXCEPT;
OSMARK_API void ScrollRaster(RastPort* rp, int32_t dx, int32_t dy, const RectangleBox* scroll,
                             const RectangleBox* clip) OSMARK_NOEXCEPT;

/* ---- Text (a negative length means up to the NUL) ---------------------------------- */

OSMARK_API void Text(RastPort* rp, const char* text, int32_t length) OSMARK_NOEXCEPT;
/* size: a width, height pair, cleared first. */
OSMARK_API void TextExtent(RastPort* rp, const char* text, int32_t length,
                           int32_t* size) OSMARK_NOEXCEPT;
OSMARK_API int32_t TextLength(RastPort* rp, const char* text, int32_t length) OSMARK_NOEXCEPT;
OSMARK_API int32_t TextFit(RastPort* rp, const char* text, int32_t length,
                           int32_t width) OSMARK_NOEXCEPT;

/* ---- The OS handler ------------------------------------------------------------------ */

/* A port of the OS handler over a window's device context, or NULL. */
OSMARK_API RastPort* __CreateOSWindowRastPort(HDC dc) OSMARK_NOEXCEPT;
/* A port over a memory context that draws into the BitMap; NULL on failure. */
OSMARK_API RastPort* __CreateOSBitMapRastPort(HDC memory_dc, struct BitMap* bitmap) OSMARK_NOEXCEPT;
/* A direct colour as it is; a system colour (bit 31) through GetSysColor. */
OSMARK_API uint32_t ColourToRGB(int32_t colour) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
