/*
 * Graphics device interface of the platform layer: the subset of Win32's GDI that the
 * libraries' renderers call, drawing into 32-bit memory surfaces.
 *
 * Provided here:
 *  - device contexts over memory: CreateCompatibleDC (a memory DC), CreateDIBSection
 *    (32 bits per pixel, BI_RGB, top-down or bottom-up), DeleteDC; gdi_support.h adds
 *    a DC over a caller's pixel buffer and the recording DC of the tests;
 *  - objects: GetStockObject (pens, brushes, fonts), CreatePen, CreateSolidBrush,
 *    CreateBrushIndirect (BS_SOLID, BS_NULL, BS_HATCHED), CreateFontIndirectA,
 *    CreateRectRgn, SelectObject (pens, brushes, fonts, bitmaps into memory DCs),
 *    GetCurrentObject, GetObjectA (LOGPEN, LOGBRUSH, LOGFONTA, BITMAP), DeleteObject;
 *  - attributes: SetROP2/GetROP2 (all 16 codes), SetTextColor/GetTextColor,
 *    SetBkColor/GetBkColor, SetBkMode/GetBkMode, SetTextAlign/GetTextAlign;
 *  - drawing: MoveToEx, GetCurrentPositionEx, LineTo, SetPixelV, GetPixel, Arc,
 *    AngleArc, Rectangle, RoundRect;
 *  - text: TextOutA, ExtTextOutW, GetTextMetricsA, GetTextMetricsW,
 *    GetTextExtentPoint32A and GetTextExtentPoint32W;
 *  - paths: BeginPath, EndPath, CloseFigure, StrokeAndFillPath, PathToRegion;
 *  - regions: CreateRectRgn, CreateRoundRectRgn, RectInRegion.
 *
 * Drawing and text run on one thread at a time (the GUI thread): objects such as stock
 * fonts are shared by every DC.
 *
 * Rules as on Win32: LineTo leaves out the last pixel and moves the current position;
 * pen and brush output goes through the DC's ROP2 mode, text and SetPixelV do not;
 * drawing is clipped to the surface; stock objects ignore DeleteObject; an object that
 * is selected into a DC cannot be deleted; handles of deleted objects are refused.
 * Strings are UTF-8. Coordinates of curves, text and wide lines are limited to
 * +-2^27, as on Win32; plain lines and pixels take any 32-bit coordinate.
 *
 *  - blits: BitBlt, StretchBlt and PatBlt with the 256 ternary raster operations;
 *    StretchDIBits, SetDIBits and GetDIBits (1, 4, 8, 16, 24 and 32 bits, bit fields);
 *    monochrome bitmaps (CreateBitmap, 1-bit DIB sections) with the Win32 rules of
 *    colour conversion; GdiFlush;
 *  - shapes: Polygon, Polyline, Ellipse, Pie, ExtFloodFill, ScrollDC, LineDDA,
 *    SetArcDirection, SetStretchBltMode;
 *  - clip regions: ExtSelectClipRgn, SelectClipRgn, GetClipRgn, ExcludeClipRect,
 *    IntersectClipRect, GetClipBox, CombineRgn; every drawing call keeps to the clip;
 *  - the window origin: SetWindowOrgEx, GetWindowOrgEx, LPtoDP and DPtoLP (the one
 *    mapping mode, MM_TEXT).
 *
 * Coordinates. Every call that takes points or rectangles of a DC takes them in
 * logical coordinates: the DC's window origin (SetWindowOrgEx, (0, 0) in a new DC and
 * in the DCs of BeginPaint and GetDC) is the logical point drawn at device pixel
 * (0, 0). The current position is kept in logical coordinates. Regions stay in device
 * coordinates, as on Win32: those given to SelectClipRgn and ExtSelectClipRgn, those
 * that GetClipRgn and PathToRegion give. A call whose device coordinates would leave
 * the 32-bit range fails with ERROR_INVALID_PARAMETER (LineTo, SetPixelV and GetPixel
 * take any).
 *
 * Not provided: mapping modes other than MM_TEXT, viewport origins and extents,
 * SaveDC/RestoreDC, palettes,
 * compressed (RLE) DIBs, styled (dashed) cosmetic pens (drawn solid), the advanced
 * graphics mode (a font's orientation is kept but glyphs follow its escapement, as in
 * GM_COMPATIBLE).
 */
#ifndef PLATFORM_GDI_H
#define PLATFORM_GDI_H

#include "platform/api.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6
#endif

/* HDC and HPEN come with the base types. */
PLATFORM_DECLARE_HANDLE(HBRUSH);
PLATFORM_DECLARE_HANDLE(HFONT);
PLATFORM_DECLARE_HANDLE(HBITMAP);
PLATFORM_DECLARE_HANDLE(HRGN);
/* Any GDI object; as on Win32 every object handle converts to it without a cast. */
typedef void* HGDIOBJ;

/* 0x00BBGGRR. */
typedef DWORD COLORREF;
#ifdef __cplusplus
#define RGB(r, g, b)                                                                  \
    (static_cast<COLORREF>(static_cast<BYTE>(r)) |                                   \
     (static_cast<COLORREF>(static_cast<BYTE>(g)) << 8) |                             \
     (static_cast<COLORREF>(static_cast<BYTE>(b)) << 16))
#define GetRValue(c) (static_cast<BYTE>((c)&0xFFu))
#define GetGValue(c) (static_cast<BYTE>(((c) >> 8) & 0xFFu))
#define GetBValue(c) (static_cast<BYTE>(((c) >> 16) & 0xFFu))
#define HGDI_ERROR (reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(-1)))
#else
#define RGB(r, g, b) \
    ((COLORREF)(((BYTE)(r)) | (((COLORREF)(BYTE)(g)) << 8) | (((COLORREF)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)((c)&0xFFu))
#define GetGValue(c) ((BYTE)(((c) >> 8) & 0xFFu))
#define GetBValue(c) ((BYTE)(((c) >> 16) & 0xFFu))
#define HGDI_ERROR ((HGDIOBJ)(LONG_PTR)-1)
#endif
#define CLR_INVALID 0xFFFFFFFFu
#define GDI_ERROR 0xFFFFFFFFu

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *LPPOINT;

typedef struct tagSIZE {
    LONG cx;
    LONG cy;
} SIZE, *LPSIZE;

/* Right and bottom are exclusive. */
typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *LPRECT;

/* ---- Objects ------------------------------------------------------------------ */

/* Object types of GetCurrentObject. */
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

/* Stock objects. */
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

/* The stock object, or NULL for an index that has none here. */
PLATFORM_API HGDIOBJ GetStockObject(int index) PLATFORM_NOEXCEPT;

/* Frees the object. TRUE for a stock object, which stays. FALSE for an unknown or
 * deleted handle (ERROR_INVALID_HANDLE) and for an object that is selected into a DC
 * (ERROR_INVALID_PARAMETER); it then stays. */
PLATFORM_API BOOL DeleteObject(HGDIOBJ object) PLATFORM_NOEXCEPT;

/* Pens. Width 0 is one pixel. A width above 1 draws a geometric pen with round ends
 * and joins. PS_INSIDEFRAME draws as PS_SOLID; the dashed styles draw solid. */
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6

typedef struct tagLOGPEN {
    UINT lopnStyle;
    POINT lopnWidth; /* x is the width; y is not used */
    COLORREF lopnColor;
} LOGPEN, *LPLOGPEN;

/* NULL with ERROR_INVALID_PARAMETER for an unknown style or a negative width. */
PLATFORM_API HPEN CreatePen(int style, int width, COLORREF colour) PLATFORM_NOEXCEPT;

/* Brushes. */
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2

#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
} LOGBRUSH, *LPLOGBRUSH;

PLATFORM_API HBRUSH CreateSolidBrush(COLORREF colour) PLATFORM_NOEXCEPT;
/* BS_SOLID, BS_NULL and BS_HATCHED (the six HS_ styles; the gaps of a hatch show the
 * background colour in OPAQUE mode). NULL with ERROR_INVALID_PARAMETER otherwise. */
PLATFORM_API HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) PLATFORM_NOEXCEPT;

/* Fonts. */
#define LF_FACESIZE 32

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define GREEK_CHARSET 161
#define TURKISH_CHARSET 162
#define HEBREW_CHARSET 177
#define ARABIC_CHARSET 178
#define BALTIC_CHARSET 186
#define RUSSIAN_CHARSET 204
#define THAI_CHARSET 222
#define EASTEUROPE_CHARSET 238
#define OUT_DEFAULT_PRECIS 0
#define OUT_TT_PRECIS 4
#define OUT_TT_ONLY_PRECIS 7
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
#define CLEARTYPE_NATURAL_QUALITY 6
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

typedef struct tagLOGFONTA {
    LONG lfHeight;      /* > 0 cell height, < 0 character height, 0 a default */
    LONG lfWidth;       /* average character width, 0 for the face's own */
    LONG lfEscapement;  /* tenths of a degree, counter-clockwise */
    LONG lfOrientation; /* kept; glyphs follow the escapement */
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *LPLOGFONTA;

/*
 * The font is realised on first use in a DC, in an installed face that stands for
 * the face asked for: Arial, Tahoma and "MS Shell Dlg 2" are drawn in Liberation Sans,
 * Calibri in Carlito, Times New Roman in Liberation Serif, Courier New in Liberation
 * Mono (faces with the same metrics), those faces, DejaVu Sans Mono, DejaVu Serif and
 * any other installed face in themselves, an empty name in Liberation Sans (the common
 * sans-serif face) and a face that is not installed in DejaVu Sans.
 * Glyphs are drawn without kerning. They are antialiased (in grey levels blended
 * over the surface) only when lfQuality asks for it: ANTIALIASED_QUALITY,
 * CLEARTYPE_QUALITY or CLEARTYPE_NATURAL_QUALITY. Any other quality, DEFAULT_QUALITY
 * included, draws every pixel in the text colour or not at all, so that drawings stay
 * exact. NULL with ERROR_INVALID_PARAMETER for a NULL record.
 */
PLATFORM_API HFONT CreateFontIndirectA(const LOGFONTA* font) PLATFORM_NOEXCEPT;

/* Bitmaps. */
#define BI_RGB 0
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP, *LPBITMAP;

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight; /* > 0 bottom-up rows, < 0 top-down */
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO, *LPBITMAPINFO;

/*
 * A 32-bit DIB section: pixels 0x00RRGGBB, rows of biWidth * 4 bytes, cleared to 0.
 * *bits receives the pixels; they live until the bitmap is deleted. Or a 1-bit DIB
 * section: a monochrome bitmap whose two colours are the first two table entries, *bits
 * its packed rows (4-byte aligned, most significant bit first), which GdiFlush brings up
 * to date with what was drawn and which are read back when the bitmap is selected into a
 * DC. Only BI_RGB and no file-mapping section (section NULL). Sizes are checked before
 * anything is allocated: NULL with ERROR_INVALID_PARAMETER for a width or height of
 * 0, below 0 (width) or above 65536, or more than 1 GiB of pixels, and with
 * ERROR_NOT_ENOUGH_MEMORY when the memory cannot be had; *bits is then NULL.
 */
PLATFORM_API HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                                      HANDLE section, DWORD offset) PLATFORM_NOEXCEPT;

/* Regions. */
/* A rectangle, right and bottom exclusive; corners in any order. */
PLATFORM_API HRGN CreateRectRgn(int left, int top, int right, int bottom) PLATFORM_NOEXCEPT;
/* The pixels that RoundRect(left, top, right, bottom, corner_width, corner_height)
 * covers with a one-pixel pen, outline and fill; corners in any order. NULL with
 * ERROR_INVALID_PARAMETER for a box above 65536 pixels on a side or outside the range
 * of curves. */
PLATFORM_API HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int corner_width,
                                     int corner_height) PLATFORM_NOEXCEPT;
/* TRUE when some pixel of the rectangle lies in the region. */
PLATFORM_API BOOL RectInRegion(HRGN region, const RECT* rect) PLATFORM_NOEXCEPT;

/* The description of a DIB section: its BITMAP record (bmBits its pixels), the header
 * it was made with (the height keeps its sign), no bit fields and no file section. */
typedef struct tagDIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
} DIBSECTION, *LPDIBSECTION;

/* Copies the object's record (LOGPEN, LOGBRUSH, LOGFONTA or BITMAP) and returns its
 * size; with buffer NULL only returns the size. 0 for an unknown handle, a region or a
 * DC, or a buffer smaller than the record. A DIB section asked with room for a
 * DIBSECTION gives that record (and its size); any other bitmap gives its BITMAP. */
PLATFORM_API int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) PLATFORM_NOEXCEPT;

/* ---- Device contexts ------------------------------------------------------------ */

/*
 * A memory DC: 1-by-1 default bitmap (draws nothing), BLACK_PEN, WHITE_BRUSH,
 * SYSTEM_FONT, black text on a white OPAQUE background, R2_COPYPEN, TA_TOP|TA_LEFT,
 * current position (0, 0). The DC argument may be NULL or any DC.
 */
PLATFORM_API HDC CreateCompatibleDC(HDC dc) PLATFORM_NOEXCEPT;
/* Frees the DC; its selected objects stay (a DC's own surface goes with it). */
PLATFORM_API BOOL DeleteDC(HDC dc) PLATFORM_NOEXCEPT;

/*
 * Selects a pen, brush or font (any DC) or a bitmap (memory DCs only; a bitmap can be
 * in one DC at a time). Returns the object it replaces, or NULL on failure. Regions
 * are not selected here (no clip regions): HGDI_ERROR.
 */
PLATFORM_API HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) PLATFORM_NOEXCEPT;
/* The selected object of that type (OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP). */
PLATFORM_API HGDIOBJ GetCurrentObject(HDC dc, UINT type) PLATFORM_NOEXCEPT;

/* Raster operations of pens and brushes: result from pen P and destination D. */
#define R2_BLACK 1        /* 0 */
#define R2_NOTMERGEPEN 2  /* ~(P | D) */
#define R2_MASKNOTPEN 3   /* ~P & D */
#define R2_NOTCOPYPEN 4   /* ~P */
#define R2_MASKPENNOT 5   /* P & ~D */
#define R2_NOT 6          /* ~D */
#define R2_XORPEN 7       /* P ^ D */
#define R2_NOTMASKPEN 8   /* ~(P & D) */
#define R2_MASKPEN 9      /* P & D */
#define R2_NOTXORPEN 10   /* ~(P ^ D) */
#define R2_NOP 11         /* D */
#define R2_MERGENOTPEN 12 /* ~P | D */
#define R2_COPYPEN 13     /* P */
#define R2_MERGEPENNOT 14 /* P | ~D */
#define R2_MERGEPEN 15    /* P | D */
#define R2_WHITE 16       /* 1 */

/* Return the previous mode; 0 on failure (an unknown DC or mode). */
PLATFORM_API int SetROP2(HDC dc, int mode) PLATFORM_NOEXCEPT;
PLATFORM_API int GetROP2(HDC dc) PLATFORM_NOEXCEPT;

/* Return the previous colour; CLR_INVALID on failure. */
PLATFORM_API COLORREF SetTextColor(HDC dc, COLORREF colour) PLATFORM_NOEXCEPT;
PLATFORM_API COLORREF GetTextColor(HDC dc) PLATFORM_NOEXCEPT;
PLATFORM_API COLORREF SetBkColor(HDC dc, COLORREF colour) PLATFORM_NOEXCEPT;
PLATFORM_API COLORREF GetBkColor(HDC dc) PLATFORM_NOEXCEPT;

#define TRANSPARENT 1
#define OPAQUE 2
/* Return the previous mode; 0 on failure. */
PLATFORM_API int SetBkMode(HDC dc, int mode) PLATFORM_NOEXCEPT;
PLATFORM_API int GetBkMode(HDC dc) PLATFORM_NOEXCEPT;

#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
/* Return the previous alignment; GDI_ERROR on failure. */
PLATFORM_API UINT SetTextAlign(HDC dc, UINT align) PLATFORM_NOEXCEPT;
PLATFORM_API UINT GetTextAlign(HDC dc) PLATFORM_NOEXCEPT;

/* ---- Lines, pixels, arcs ----------------------------------------------------------- */

/* Moves the current position; the old one goes to *old unless old is NULL. */
PLATFORM_API BOOL MoveToEx(HDC dc, int x, int y, LPPOINT old) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL GetCurrentPositionEx(HDC dc, LPPOINT position) PLATFORM_NOEXCEPT;
/* A line from the current position to (x, y) without its last pixel (a pen wider
 * than 1 has round ends and covers both); the current position becomes (x, y). Where
 * the line passes half-way between two pixels it takes the one with the smaller
 * coordinate, so a line covers the same pixels in either direction. */
PLATFORM_API BOOL LineTo(HDC dc, int x, int y) PLATFORM_NOEXCEPT;
/* Sets one pixel to the colour, whatever the ROP2 mode; also inside a path bracket. */
PLATFORM_API BOOL SetPixelV(HDC dc, int x, int y, COLORREF colour) PLATFORM_NOEXCEPT;
/* The pixel's colour, or CLR_INVALID outside the surface. */
PLATFORM_API COLORREF GetPixel(HDC dc, int x, int y) PLATFORM_NOEXCEPT;
/*
 * The counter-clockwise part of the ellipse in the box (right and bottom exclusive)
 * from its crossing with the ray from the centre through (x_start, y_start) to that
 * through (x_end, y_end); the same ray twice draws the whole ellipse. Does not use or
 * move the current position.
 */
PLATFORM_API BOOL Arc(HDC dc, int left, int top, int right, int bottom, int x_start,
                      int y_start, int x_end, int y_end) PLATFORM_NOEXCEPT;

typedef float FLOAT;

/*
 * A line from the current position to the start of the arc, then the arc: the part of
 * the circle of the radius about (x, y) from start_angle over sweep_angle degrees,
 * counter-clockwise on the screen for a positive sweep, clockwise for a negative one
 * (the arc direction of the DC does not count); a sweep of 360 degrees or more draws
 * the whole circle. The current position moves to the arc's end. Inside a path bracket
 * the line and the arc go to the path.
 */
PLATFORM_API BOOL AngleArc(HDC dc, int x, int y, DWORD radius, FLOAT start_angle,
                           FLOAT sweep_angle) PLATFORM_NOEXCEPT;

/* ---- Rectangles ------------------------------------------------------------------------ */

/*
 * The rectangle (corners in any order, right and bottom exclusive) outlined with the
 * pen and filled with the brush, both through the ROP2 mode, each pixel once: the
 * outline runs along the outermost pixels (a wider pen is centred on them), the fill
 * covers what lies inside it. Without a pen the fill covers the rectangle less its
 * right column and bottom row, as on Win32. Nothing for a rectangle narrower or lower
 * than 2 pixels.
 */
PLATFORM_API BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) PLATFORM_NOEXCEPT;
/* As Rectangle with corners rounded by quarter ellipses of corner_width by
 * corner_height (at most the rectangle's size). */
PLATFORM_API BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int corner_width,
                            int corner_height) PLATFORM_NOEXCEPT;

/* ---- Text ------------------------------------------------------------------------------ */

typedef struct tagTEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
} TEXTMETRICA, *LPTEXTMETRICA;

/* TEXTMETRICA with its character fields as UTF-16 units. */
typedef struct tagTEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
} TEXTMETRICW, *LPTEXTMETRICW;

#define TMPF_FIXED_PITCH 0x01 /* set for a variable-pitch font, as on Win32 */
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04

/*
 * Draws count bytes of text in the DC's font and text colour at (x, y) as the text
 * alignment says (with TA_UPDATECP at the current position, which then moves by the
 * text's extent along its baseline); in OPAQUE mode the text's cell is filled with
 * the background colour first. Inside a path bracket the glyph outlines are added to
 * the path instead.
 */
PLATFORM_API BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics) PLATFORM_NOEXCEPT;
/* The same metrics as GetTextMetricsA. */
PLATFORM_API BOOL GetTextMetricsW(HDC dc, LPTEXTMETRICW metrics) PLATFORM_NOEXCEPT;
/* Width of count bytes of text and the font's cell height, before any escapement. */
PLATFORM_API BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size)
    PLATFORM_NOEXCEPT;
/* The same for count UTF-16 units of text. */
PLATFORM_API BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count,
                                        LPSIZE size) PLATFORM_NOEXCEPT;

#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
#define ETO_RTLREADING 0x0080
/*
 * Draws count UTF-16 units of text as TextOutA does. With ETO_OPAQUE the rectangle is
 * first filled with the background colour; with ETO_CLIPPED the text is cut to the
 * rectangle (within the DC's clip, which stays as it was). ETO_RTLREADING is taken:
 * the characters' own directions order them either way. The rectangle may be NULL
 * without those options; spacing must be NULL (ERROR_INVALID_PARAMETER otherwise).
 */
PLATFORM_API BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text,
                              UINT count, const INT* spacing) PLATFORM_NOEXCEPT;

/* ---- Font outlines and enumeration ---------------------------------------------------- */

/* Every font is an outline font: its faces are scalable (TrueType or OpenType). */
typedef struct tagPANOSE {
    BYTE bFamilyType;
    BYTE bSerifStyle;
    BYTE bWeight;
    BYTE bProportion;
    BYTE bContrast;
    BYTE bStrokeVariation;
    BYTE bArmStyle;
    BYTE bLetterform;
    BYTE bMidline;
    BYTE bXHeight;
} PANOSE;

typedef struct _OUTLINETEXTMETRICA {
    UINT otmSize;
    TEXTMETRICA otmTextMetrics;
    BYTE otmFiller;
    PANOSE otmPanoseNumber;
    UINT otmfsSelection;
    UINT otmfsType;
    int otmsCharSlopeRise;
    int otmsCharSlopeRun;
    int otmItalicAngle;
    UINT otmEMSquare; /* design units per em */
    int otmAscent;
    int otmDescent;
    UINT otmLineGap;
    UINT otmsCapEmHeight;
    UINT otmsXHeight;
    RECT otmrcFontBox;
    int otmMacAscent;
    int otmMacDescent;
    UINT otmMacLineGap;
    UINT otmusMinimumPPEM;
    POINT otmptSubscriptSize;
    POINT otmptSubscriptOffset;
    POINT otmptSuperscriptSize;
    POINT otmptSuperscriptOffset;
    UINT otmsStrikeoutSize;
    int otmsStrikeoutPosition;
    int otmsUnderscoreSize;
    int otmsUnderscorePosition;
    /* Offsets of the names after the record; 0 here: the names are not given. */
    LPSTR otmpFamilyName;
    LPSTR otmpFaceName;
    LPSTR otmpStyleName;
    LPSTR otmpFullName;
} OUTLINETEXTMETRICA, *LPOUTLINETEXTMETRICA;

/*
 * The outline metrics of the DC's font: with metrics NULL the size of the record; else
 * at most size bytes of it, and the bytes written. The measures are those of the font
 * at its pixel size; otmEMSquare is the face's design units per em, so a font made with
 * the height -otmEMSquare measures in design units. Panose, the slope, the sub- and
 * superscript measures and the names are left 0. 0 on failure.
 */
PLATFORM_API UINT GetOutlineTextMetricsA(HDC dc, UINT size,
                                         LPOUTLINETEXTMETRICA metrics) PLATFORM_NOEXCEPT;

typedef struct _FIXED {
    WORD fract;
    SHORT value;
} FIXED;

typedef struct tagPOINTFX {
    FIXED x;
    FIXED y;
} POINTFX;

typedef struct _MAT2 {
    FIXED eM11;
    FIXED eM12;
    FIXED eM21;
    FIXED eM22;
} MAT2;

typedef struct _GLYPHMETRICS {
    UINT gmBlackBoxX;
    UINT gmBlackBoxY;
    POINT gmptGlyphOrigin;
    SHORT gmCellIncX;
    SHORT gmCellIncY;
} GLYPHMETRICS, *LPGLYPHMETRICS;

typedef struct tagTTPOLYGONHEADER {
    DWORD cb; /* bytes of the polygon, this header included */
    DWORD dwType;
    POINTFX pfxStart;
} TTPOLYGONHEADER;

typedef struct tagTTPOLYCURVE {
    WORD wType;
    WORD cpfx;
    POINTFX apfx[1];
} TTPOLYCURVE;

#define GGO_METRICS 0
#define GGO_NATIVE 2
#define GGO_BEZIER 3
#define GGO_GLYPH_INDEX 0x0080
#define TT_POLYGON_TYPE 24
#define TT_PRIM_LINE 1
#define TT_PRIM_QSPLINE 2
#define TT_PRIM_CSPLINE 3

/*
 * The outline of one character (a code point; a glyph index with GGO_GLYPH_INDEX) of
 * the DC's font, in pixels at the font's size with y upwards from the baseline, as
 * polygons (TTPOLYGONHEADER) of line and cubic Bezier records (TT_PRIM_LINE,
 * TT_PRIM_CSPLINE: three points per curve) in 16.16 fixed point, each polygon ending at
 * its start (a line closes one whose last curve does not). GGO_NATIVE and GGO_BEZIER give the same data; GGO_METRICS
 * only fills the metrics. With buffer NULL or size 0 the size of the data; else the
 * data and its size. A character without outline (a blank) has size 0. GDI_ERROR with
 * ERROR_INVALID_PARAMETER for another format, a transform other than the identity, a
 * NULL transform or metrics, or a buffer too small; GDI_ERROR with
 * ERROR_NOT_ENOUGH_MEMORY when Qt cannot provide the font.
 */
PLATFORM_API DWORD GetGlyphOutlineA(HDC dc, UINT character, UINT format, LPGLYPHMETRICS metrics,
                                    DWORD size, LPVOID buffer,
                                    const MAT2* transform) PLATFORM_NOEXCEPT;

#define RASTER_FONTTYPE 0x0001
#define DEVICE_FONTTYPE 0x0002
#define TRUETYPE_FONTTYPE 0x0004

typedef int (*FONTENUMPROCA)(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD type,
                             LPARAM data);
/*
 * Calls the procedure for the installed font faces, while it answers non-zero: every
 * scalable face counts as TrueType (TRUETYPE_FONTTYPE), any other as a raster font.
 * The record's lfFaceName picks one face: an installed family or a face name that one
 * stands for (Arial, Times New Roman, Courier New and the others of CreateFontIndirectA)
 * in any letter case, reported under the name asked for; an empty name takes every face.
 * lfCharSet picks the character set: DEFAULT_CHARSET gives every face once (a named face
 * once for each set it covers), another set the faces that cover it. The font record
 * given to the procedure has height 16 and weight 400; the metrics are those of that
 * font. Returns the procedure's last answer, 1 when no face was reported; flags must be
 * 0.
 */
PLATFORM_API int EnumFontFamiliesExA(HDC dc, LPLOGFONTA font, FONTENUMPROCA procedure, LPARAM data,
                                     DWORD flags) PLATFORM_NOEXCEPT;

/* ---- Paths ----------------------------------------------------------------------------- */

/*
 * Between BeginPath and EndPath, MoveToEx, LineTo, Arc and TextOutA add to the DC's
 * path instead of drawing. StrokeAndFillPath closes every figure, fills the path
 * (alternate rule) with the brush and strokes it with the pen, both through the ROP2
 * mode; it and PathToRegion need an ended path and discard it.
 */
PLATFORM_API BOOL BeginPath(HDC dc) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL EndPath(HDC dc) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL CloseFigure(HDC dc) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL StrokeAndFillPath(HDC dc) PLATFORM_NOEXCEPT;
/* The pixels inside the path as a region (device coordinates); NULL on failure. */
PLATFORM_API HRGN PathToRegion(HDC dc) PLATFORM_NOEXCEPT;

/* ---- Blits ------------------------------------------------------------------------------ */

#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define SRCINVERT 0x00660046u
#define SRCERASE 0x00440328u
#define NOTSRCCOPY 0x00330008u
#define NOTSRCERASE 0x001100A6u
#define MERGECOPY 0x00C000CAu
#define MERGEPAINT 0x00BB0226u
#define PATCOPY 0x00F00021u
#define PATPAINT 0x00FB0A09u
#define PATINVERT 0x005A0049u
#define DSTINVERT 0x00550009u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u

/*
 * Combines the source rectangle (source_x, source_y, width, height) with the
 * destination rectangle (x, y, width, height) through the ternary raster operation in
 * bits 16-23 of rop (the pattern is the destination's brush colour). Both are clipped to
 * their surfaces, the part outside either is left alone; an overlapping copy on one
 * surface comes out as if copied through a buffer. The source DC may be NULL when the
 * operation does not use it. FALSE for a bad DC.
 */
PLATFORM_API BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source,
                         int source_x, int source_y, DWORD rop) PLATFORM_NOEXCEPT;

/* Like BitBlt, stretching the source rectangle over the destination one. A negative
 * width or height on one side only mirrors; a rectangle of negative width w at x covers
 * the columns x + w + 1 to x (rows alike). Shrinking merges the source pixels of one
 * destination pixel as the stretch mode says: BLACKONWHITE by AND, WHITEONBLACK by OR,
 * COLORONCOLOR and HALFTONE keep one. A monochrome bitmap (CreateBitmap) put on a colour
 * destination gives the destination's text colour for its 0 bits and background colour
 * for its 1 bits; a 1-bit DIB section gives the colours of its table. A colour source
 * put on a monochrome destination gives 1 exactly where it has the source DC's
 * background colour. */
PLATFORM_API BOOL StretchBlt(HDC destination, int x, int y, int width, int height, HDC source,
                             int source_x, int source_y, int source_width, int source_height,
                             DWORD rop) PLATFORM_NOEXCEPT;
/* BitBlt with an operation that takes no source. */
PLATFORM_API BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop) PLATFORM_NOEXCEPT;

#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE
/* Previous mode; 0 for a bad DC or mode. A new DC has BLACKONWHITE. */
PLATFORM_API int SetStretchBltMode(HDC dc, int mode) PLATFORM_NOEXCEPT;
PLATFORM_API int GetStretchBltMode(HDC dc) PLATFORM_NOEXCEPT;

#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3

/* A monochrome bitmap (planes 1, bits 1: rows of whole 16-bit words as on Win32, the
 * most significant bit first; 1 is white) or a 32-bit one; bits may be NULL (cleared).
 * NULL with ERROR_INVALID_PARAMETER for other formats or sizes out of range. */
PLATFORM_API HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel,
                                  const void* bits) PLATFORM_NOEXCEPT;
/* A bitmap like the DC's: monochrome for a memory DC holding a monochrome bitmap, else
 * 32-bit. */
PLATFORM_API HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) PLATFORM_NOEXCEPT;

/*
 * DIBs given by the caller: 1, 4 and 8 bits with a colour table (biClrUsed entries, or
 * all), 16 bits (5-5-5 or three bit-field masks after the header), 24 bits, 32 bits
 * (or bit fields); bottom-up for a positive height, top-down for a negative one. RLE
 * compression is refused. The caller's bits hold at least `lines` rows of
 * ((width * bits + 31) / 32) * 4 bytes.
 *
 * SetDIBits writes the DIB's rows start to start + lines - 1 (counted from the first row
 * in memory) into the bitmap at the same places of the picture; a monochrome bitmap
 * takes for each colour the index of the nearer of its two colours, or the DIB's own
 * indices when both tables agree. Returns the rows written, 0 on failure.
 * GetDIBits reads them out as 1, 24 or 32 bits per pixel (with bits NULL it fills the
 * header with the bitmap's size and 32 bits); a 1-bit request gets the bitmap's two
 * colours in its table. StretchDIBits is StretchBlt from such a DIB (the source
 * rectangle counted from the first row in memory), colours as the table gives them.
 * A bitmap selected into a DC may be read and written.
 */
PLATFORM_API int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
                           const BITMAPINFO* info, UINT usage) PLATFORM_NOEXCEPT;
PLATFORM_API int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits,
                           BITMAPINFO* info, UINT usage) PLATFORM_NOEXCEPT;
PLATFORM_API int StretchDIBits(HDC dc, int x, int y, int width, int height, int source_x,
                               int source_y, int source_width, int source_height, const void* bits,
                               const BITMAPINFO* info, UINT usage, DWORD rop) PLATFORM_NOEXCEPT;
/* The colour table of the monochrome DIB section in the memory DC (entries first to
 * first + count - 1 of 2); the entries set. */
PLATFORM_API UINT SetDIBColorTable(HDC dc, UINT first, UINT count,
                                   const RGBQUAD* colours) PLATFORM_NOEXCEPT;
/* Brings the rows of 1-bit DIB sections up to date with the drawing done in them. */
PLATFORM_API BOOL GdiFlush(void) PLATFORM_NOEXCEPT;

/* ---- Shapes ------------------------------------------------------------------------ */

/* Filled (alternate rule) with the brush and outlined with the pen, closed. */
PLATFORM_API BOOL Polygon(HDC dc, const POINT* points, int count) PLATFORM_NOEXCEPT;
/* Lines through the points as LineTo draws them; the current position stays. */
PLATFORM_API BOOL Polyline(HDC dc, const POINT* points, int count) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) PLATFORM_NOEXCEPT;
/* Arc's curve closed by two lines through the centre, filled. */
PLATFORM_API BOOL Pie(HDC dc, int left, int top, int right, int bottom, int x_start, int y_start,
                      int x_end, int y_end) PLATFORM_NOEXCEPT;

#define AD_COUNTERCLOCKWISE 1
#define AD_CLOCKWISE 2
/* The direction of Arc and Pie; previous one, 0 for a bad DC or value. */
PLATFORM_API int SetArcDirection(HDC dc, int direction) PLATFORM_NOEXCEPT;
PLATFORM_API int GetArcDirection(HDC dc) PLATFORM_NOEXCEPT;

#define FLOODFILLBORDER 0
#define FLOODFILLSURFACE 1
/* Fills with the brush from the point: up to pixels of the colour (FLOODFILLBORDER) or
 * over the pixels of the colour (FLOODFILLSURFACE), four-connected, within the clip.
 * FALSE when the start pixel already ends the fill or lies off the surface. */
PLATFORM_API BOOL ExtFloodFill(HDC dc, int x, int y, COLORREF colour, UINT type) PLATFORM_NOEXCEPT;

/* Moves the pixels of the scroll rectangle (NULL: the surface) by dx, dy, landing only in
 * the clip rectangle (NULL: the surface) and the DC's clip. The uncovered area's bounds go
 * to update_rect; an update region is not computed (update_region must be NULL). */
PLATFORM_API BOOL ScrollDC(HDC dc, int dx, int dy, const RECT* scroll, const RECT* clip,
                           HRGN update_region, LPRECT update_rect) PLATFORM_NOEXCEPT;

typedef void (*LINEDDAPROC)(int x, int y, LPARAM data);
/* Calls the procedure for every pixel of the line that LineTo would draw (the end point
 * left out), in order from the start. */
PLATFORM_API BOOL LineDDA(int x0, int y0, int x1, int y1, LINEDDAPROC procedure,
                          LPARAM data) PLATFORM_NOEXCEPT;

/* ---- Clip regions ------------------------------------------------------------------- */

#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define ERROR 0
#define RGN_ERROR ERROR
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3

/* destination = a op b (RGN_COPY: a); the kind of the result, ERROR on failure. */
PLATFORM_API int CombineRgn(HRGN destination, HRGN a, HRGN b, int mode) PLATFORM_NOEXCEPT;
/* Combines the region (device coordinates) into the DC's clip; without a clip the DC's
 * whole surface takes its place. RGN_COPY with NULL removes the clip. The kind of the
 * new clip. */
PLATFORM_API int ExtSelectClipRgn(HDC dc, HRGN region, int mode) PLATFORM_NOEXCEPT;
PLATFORM_API int SelectClipRgn(HDC dc, HRGN region) PLATFORM_NOEXCEPT;
/* The box that drawing through the DC can reach, in logical coordinates: the DC's
 * surface within its clip and, for a paint DC of BeginPaint, within the update region's
 * bounding box. The kind of
 * what may be drawn (NULLREGION for an empty box), RGN_ERROR for a bad DC. */
PLATFORM_API int GetClipBox(HDC dc, LPRECT rect) PLATFORM_NOEXCEPT;
/* Copies the DC's clip region (device coordinates) into the region: 1 when the DC has
 * a clip, 0 when it has none (the region is then left alone), -1 for a bad DC or
 * region. The DC's clip stays its own: changing the region changes nothing else. */
PLATFORM_API int GetClipRgn(HDC dc, HRGN region) PLATFORM_NOEXCEPT;
/* Take the rectangle (logical coordinates, right and bottom exclusive, corners in any
 * order) out of the DC's clip, or cut the clip down to it; without a clip the DC's whole
 * surface is the clip they start from. The kind of the new clip, ERROR on failure. */
PLATFORM_API int ExcludeClipRect(HDC dc, int left, int top, int right,
                                 int bottom) PLATFORM_NOEXCEPT;
PLATFORM_API int IntersectClipRect(HDC dc, int left, int top, int right,
                                   int bottom) PLATFORM_NOEXCEPT;

/* The window origin: the logical point shown at device pixel (0, 0). The old origin
 * goes to *old unless old is NULL. FALSE for a bad DC. */
PLATFORM_API BOOL SetWindowOrgEx(HDC dc, int x, int y, LPPOINT old) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL GetWindowOrgEx(HDC dc, LPPOINT origin) PLATFORM_NOEXCEPT;
/* Logical to device points and back (MM_TEXT: the window origin is the only offset).
 * FALSE with ERROR_INVALID_PARAMETER when a result leaves the 32-bit range (the points
 * before it are mapped). */
PLATFORM_API BOOL LPtoDP(HDC dc, LPPOINT points, int count) PLATFORM_NOEXCEPT;
PLATFORM_API BOOL DPtoLP(HDC dc, LPPOINT points, int count) PLATFORM_NOEXCEPT;

/* The number of characters of text whose extent fits in max_extent (to *fit when fit is
 * not NULL), each one's cumulative extent in widths (when not NULL), and the extent of the
 * whole text. */
PLATFORM_API BOOL GetTextExtentExPointA(HDC dc, LPCSTR text, int count, int max_extent, LPINT fit,
                                        LPINT widths, LPSIZE size) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
