/*
 * Image lists: the subset of Win32's common-control image lists that the list-view
 * control draws its item, state and group images with.
 *
 * Provided here: ImageList_Create, ImageList_Destroy, ImageList_Add,
 * ImageList_AddMasked, ImageList_GetImageCount, ImageList_GetIconSize,
 * ImageList_SetOverlayImage and ImageList_DrawEx.
 *
 * A list holds images of one size, each with its mask: 32-bit colour (whatever colour
 * flag the list was made with; the pixels' top byte, an alpha channel, is not used) and
 * one bit per pixel that says whether the pixel is drawn. A list without ILC_MASK draws
 * every pixel. The list's background colour is CLR_NONE. Handles of destroyed lists are
 * refused. Lists are used on one thread at a time (the GUI thread).
 */
#ifndef PLATFORM_IMAGE_LISTS_H
#define PLATFORM_IMAGE_LISTS_H

#include "platform/api.h"
#include "platform/gdi.h"
#include "platform/win_types.h"

PLATFORM_BEGIN_DECLS

PLATFORM_DECLARE_HANDLE(HIMAGELIST);

#define ILC_MASK 0x00000001u
#define ILC_COLOR 0x00000000u
#define ILC_COLORDDB 0x000000FEu
#define ILC_COLOR4 0x00000004u
#define ILC_COLOR8 0x00000008u
#define ILC_COLOR16 0x00000010u
#define ILC_COLOR24 0x00000018u
#define ILC_COLOR32 0x00000020u

#define CLR_NONE 0xFFFFFFFFu
#define CLR_DEFAULT 0xFF000000u

#define ILD_NORMAL 0x00000000u
#define ILD_TRANSPARENT 0x00000001u
#define ILD_BLEND25 0x00000002u
#define ILD_FOCUS ILD_BLEND25
#define ILD_BLEND50 0x00000004u
#define ILD_SELECTED ILD_BLEND50
#define ILD_BLEND ILD_BLEND50
#define ILD_OVERLAYMASK 0x00000F00u
#ifdef __cplusplus
#define INDEXTOOVERLAYMASK(i) (static_cast<UINT>(i) << 8)
#else
#define INDEXTOOVERLAYMASK(i) ((UINT)(i) << 8)
#endif

/* A list of images of width by height pixels (both 1 to 65536) with room for initial
 * images, growing as needed (grow is a hint). The colour flags are taken and ignored,
 * ILC_MASK keeps masks; other flags are refused. NULL with ERROR_INVALID_PARAMETER. */
PLATFORM_API HIMAGELIST ImageList_Create(int width, int height, UINT flags, int initial,
                                         int grow) PLATFORM_NOEXCEPT;
/* FALSE for an unknown list. */
PLATFORM_API BOOL ImageList_Destroy(HIMAGELIST list) PLATFORM_NOEXCEPT;

/*
 * Adds the images of the bitmap: it is cut from the left into as many images as it has
 * whole widths of the list's images (its rows below the image height are left out, a
 * lower bitmap's missing rows are black). The mask bitmap, when given to a list with
 * masks, marks by its white (for a monochrome bitmap: 1) pixels the pixels left
 * transparent; without one every pixel is drawn. The index of the first new image; -1
 * for an unknown list or bitmap or a bitmap narrower than one image.
 */
PLATFORM_API int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask) PLATFORM_NOEXCEPT;
/* As ImageList_Add, the mask made of the pixels of the colour (they become transparent
 * and black in the image). A list without masks takes the image as it is. */
PLATFORM_API int ImageList_AddMasked(HIMAGELIST list, HBITMAP image,
                                     COLORREF mask_colour) PLATFORM_NOEXCEPT;

/* The number of images; 0 for an unknown list. */
PLATFORM_API int ImageList_GetImageCount(HIMAGELIST list) PLATFORM_NOEXCEPT;
/* The size of the images; FALSE for an unknown list or a NULL pointer. */
PLATFORM_API BOOL ImageList_GetIconSize(HIMAGELIST list, int* width, int* height) PLATFORM_NOEXCEPT;

/* Makes the image the overlay image `overlay` (1 to 15) that INDEXTOOVERLAYMASK
 * selects when drawing; -1 as the image takes the overlay away. FALSE for an unknown
 * list, an image that does not exist or an overlay out of range. */
PLATFORM_API BOOL ImageList_SetOverlayImage(HIMAGELIST list, int image,
                                            int overlay) PLATFORM_NOEXCEPT;

/*
 * Draws the image with its top-left corner at (x, y) (logical coordinates, within the
 * DC's clip), width by height pixels of it from its top-left corner (0: the image's
 * own; more than the image: the image's).
 * Transparency: with ILD_TRANSPARENT, or when the background colour is CLR_NONE (or
 * CLR_DEFAULT, the list's own, which is CLR_NONE), the pixels outside the mask are left
 * alone; otherwise they take the background colour.
 * Blending: ILD_BLEND50 mixes every drawn image pixel half and half with the foreground
 * colour, ILD_BLEND25 puts a quarter of the colour into it (ILD_BLEND50 wins when both
 * are given); the foreground colour CLR_DEFAULT is the system's highlight colour
 * (COLOR_HIGHLIGHT), CLR_NONE blends nothing.
 * Overlay: the style's overlay bits (INDEXTOOVERLAYMASK(n)) draw the image made overlay
 * n over the image, transparent and blended alike; an overlay that was never set draws
 * nothing more.
 * FALSE for an unknown list or DC or an image that does not exist.
 */
PLATFORM_API BOOL ImageList_DrawEx(HIMAGELIST list, int image, HDC dc, int x, int y, int width,
                                   int height, COLORREF background, COLORREF foreground,
                                   UINT style) PLATFORM_NOEXCEPT;

PLATFORM_END_DECLS

#endif
