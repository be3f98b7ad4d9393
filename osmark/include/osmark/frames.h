/*
 * Frames: small vector programs that draw the border and the face of a GUI element
 * into any box of a raster port, in four states, with points anchored to the corners,
 * the centre or the mid-edges of the box. The library keeps a catalogue of frames by id
 * (17 built in); more come from frame text files (LoadFrame) and AddFrame.
 *
 * A program is a run of FrameCommand records, each starting with its byte size; a
 * record whose first byte is 0 ends it.
 */
#ifndef OSMARK_FRAMES_H
#define OSMARK_FRAMES_H

#include "osmark/api.h"
#include "osmark/raster_ports.h"

OSMARK_BEGIN_DECLS

/* The box of the frame calls; right = left + width, one past the last pixel. */
typedef struct SizeBox {
    int32_t sb_Left;
    int32_t sb_Top;
    int32_t sb_Width;
    int32_t sb_Height;
} SizeBox;

/* Program slots: each state's program has its fill program in the next slot. */
enum FrameSlot {
    FRAME_NORMAL = 0,
    FRAME_NORMAL_FILL,
    FRAME_SELECTED,
    FRAME_SELECTED_FILL,
    FRAME_DISABLED,
    FRAME_DISABLED_FILL,
    FRAME_INDETERMINATE,
    FRAME_INDETERMINATE_FILL,
    FRAME_DISABLED_SELECTED,
    FRAME_DISABLED_SELECTED_FILL,
    FRAME_DISABLED_INDETERMINATE,
    FRAME_DISABLED_INDETERMINATE_FILL,
    FRAME_SELECT, /* the hit-test shape */
    FRAME_SLOTS
};

/* Flag of a frame read from a file: the catalogue owns and frees it. */
#define FRAMEF_LOADED 0x80000000u

typedef struct Frame {
    int32_t fr_XOffset; /* added to the box's left */
    int32_t fr_YOffset;
    uint32_t fr_ID;
    uint32_t fr_Flags;
    char* fr_Name;
    uint32_t fr_PaletteCount;
    Colour* fr_Palette;
    uint8_t* fr_Programs[FRAME_SLOTS]; /* NULL: none */
    int32_t fr_Margins[4];             /* left, top, right, bottom */
} Frame;

/* FrameState bits. */
#define FRAMESTATE_SELECTED 0x1u
#define FRAMESTATE_DISABLED 0x2u
#define FRAMESTATE_INDETERMINATE 0x4u

/* FrameOption bits. */
#define FRAMEOPT_LEFT 0x01u
#define FRAMEOPT_RIGHT 0x02u
#define FRAMEOPT_TOP 0x04u
#define FRAMEOPT_BOTTOM 0x08u
#define FRAMEOPT_EDGES 0x0Fu
#define FRAMEOPT_FILL 0x1000u
#define FRAMEOPT_SHADOW 0x2000u     /* the shadow palette */
#define FRAMEOPT_BLACKWHITE 0x4000u /* the black-and-white palette */
#define FRAMEOPT_MASKPASS 0x8000u   /* only commands of the mask pass */

/* Bits of a command's anchor word. */
#define FRAMECMD_MASKPASS 0x4000u
#define FRAMECMD_FILLED 0x8000u

OSMARK_API Frame* GetFrame(uint32_t id) OSMARK_NOEXCEPT;
/* Adds the frame (replacing one of the same id); 1, or 0 with IoErr -4 (NULL), -10 (the
 * record is already in) or when the catalogue cannot grow. */
OSMARK_API int32_t AddFrame(Frame* frame) OSMARK_NOEXCEPT;
/* Takes the frame out (a loaded one is freed); 1, or 0 with -12. */
OSMARK_API int32_t RemoveFrame(uint32_t id) OSMARK_NOEXCEPT;
typedef int32_t (*WalkFramesFunc)(Frame* frame, uint32_t data);
/* The first non-zero answer, 0 when all answered 0; -1 with -4 without a callback. */
OSMARK_API int32_t WalkFrames(WalkFramesFunc callback, uint32_t data) OSMARK_NOEXCEPT;
/* margins: left, top, right, bottom; 1, or 0 with all four 1 and -12 for an unknown id. */
OSMARK_API int32_t FrameBoxMargins(uint32_t id, int32_t* margins) OSMARK_NOEXCEPT;
/* Copy min(count, palette count - first) entries out of or into the palette; that
 * number, -1 with -4 (NULL colours) or -12 (unknown id). */
OSMARK_API int32_t GetFramePalette(uint32_t id, uint32_t first, uint32_t count,
                                   Colour* colours) OSMARK_NOEXCEPT;
OSMARK_API int32_t SetFramePalette(uint32_t id, uint32_t first, uint32_t count,
                                   const Colour* colours) OSMARK_NOEXCEPT;
OSMARK_API int32_t DrawFrame(RastPort* rp, const SizeBox* box, Frame* frame, uint32_t state,
                             uint32_t options) OSMARK_NOEXCEPT;
OSMARK_API int32_t DrawFrameEdge(RastPort* rp, const SizeBox* box, uint32_t id, uint32_t state,
                                 uint32_t options) OSMARK_NOEXCEPT;
/* All four edges; with a colour (not ColourNone) the face in that colour too. */
OSMARK_API int32_t DrawFrameBox(RastPort* rp, const SizeBox* box, uint32_t id, uint32_t state,
                                Colour colour) OSMARK_NOEXCEPT;
OSMARK_API int32_t PointInFrame(int32_t x, int32_t y, const SizeBox* box, uint32_t id,
                                uint32_t reserved, uint32_t options) OSMARK_NOEXCEPT;
/* A frame read from a frame text file, flagged FRAMEF_LOADED and not yet in the
 * catalogue; NULL (IoErr -25 for a file of another kind or version). */
OSMARK_API Frame* LoadFrame(const char* path) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
