/*
 * Block labels: one line of text that a block carries and that is drawn at every
 * placement of the block.
 *
 * The label lives in the block's identifier: bi_Label (the text), bi_LabelPos (the
 * lower-left corner of the label box, where the text's baseline starts, in the block's
 * own coordinates: the renderers add the placement's origin, base point included) and
 * bi_LabelAttr (face, height in drawing units, style bits 1 bold, 2 italic, 4 underline,
 * 8 strike-out, and the colour reference). The INSERTs of the block that a walk of the
 * drawing passes get three references into the identifier (in_Label, in_LabelPos,
 * in_LabelAttr), which own nothing; an INSERT that the walk does not pass (hidden, on a
 * layer that is off) shows no label. The block renderers always show it. Labels are
 * drawn at the height df_YSize times the view's scale, turned with the placement, and
 * never hit by a pick.
 *
 * The font is the one selected into the device context at the call, with its text
 * colour; its pixel height becomes drawing units at the scale of viewPort showing the
 * drawing's window dxf_DrwgSize. A device context whose font cannot be read gives an
 * all-zero font, which is never drawn.
 *
 * Automatic placement (position NULL) measures the text in the device context's font
 * and tries the five place codes of dxf_LabelPlace in order (SetBlockLabelOrder): 1 to
 * 4 aim at the corners (min x, min y), (max x, min y), (min x, max y), (max x, max y)
 * of the block's extents and start from the two end points of the block's items that
 * lie nearest to that corner, first along x, then along y, moved 5 drawing units into
 * the block; any other code takes the centre of the extents. The first candidate whose
 * label box lies inside the extents and touches none of the block's items (a pick
 * render of the block into the box) is taken. Placement clears the pick marks of every
 * item of the drawing. The drawing's window, view port and mapping stay as they were.
 */
#ifndef HALVERN_BLOCK_LABELS_H
#define HALVERN_BLOCK_LABELS_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "halvern/types.h"
#include "osmark/geometry_types.h"
#include "platform/win_types.h"

HALVERN_BEGIN_DECLS

/*
 * Attaches text as the label of the block called name (without regard to case; the
 * first such identifier), at position or, with position NULL, placed automatically;
 * text NULL removes the label. A label the block had is removed first (also when the
 * new one then fails): its text and face name are freed and every INSERT of the block,
 * in both item buffers, drops its references.
 *
 *  -1  drawing or name NULL; text given, position NULL and hdc or viewPort NULL (the
 *      old label then stays); the text could not be copied (the block has no label)
 *  -2  no block of that name; nothing changes
 *   0  removed, attached at position, or placed automatically
 *   1  no candidate fitted; the block is left without a label
 */
HALVERN_API int32_t SetBlockLabel(HDC hdc, DXFDrawingRec* drawing, RectangleRec* viewPort,
                                  const char* name, const char* text,
                                  Point2DRec* position) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
