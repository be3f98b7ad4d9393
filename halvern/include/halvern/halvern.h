/* Halvern: the drawing-file library. Includes every public header. */
#ifndef HALVERN_HALVERN_H
#define HALVERN_HALVERN_H

#include "halvern/api.h"
#include "halvern/block_labels.h"
#include "halvern/contours.h"
#include "halvern/drawing.h"
#include "halvern/dxf_groups.h"
#include "halvern/dxf_reader.h"
#include "halvern/dxf_writer.h"
#include "halvern/edits.h"
#include "halvern/extents.h"
#include "halvern/filter.h"
#include "halvern/geometry.h"
#include "halvern/iges.h"
#include "halvern/item_geometry.h"
#include "halvern/item_intersections.h"
#include "halvern/items.h"
#include "halvern/items_from_data.h"
#include "halvern/library.h"
#include "halvern/packed.h"
#include "halvern/palette.h"
#include "halvern/pick.h"
#include "halvern/regions.h"
#include "halvern/render.h"
#include "halvern/tables.h"
#include "halvern/transform.h"
#include "halvern/types.h"
#include "halvern/walkers.h"

#endif
