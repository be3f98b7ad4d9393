/* Halvern: the drawing-file library. Includes every public header. */
#ifndef HALVERN_HALVERN_H
#define HALVERN_HALVERN_H

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "halvern/geometry.h"
#include "halvern/items.h"
#include "halvern/library.h"
#include "halvern/tables.h"
#include "halvern/types.h"

#endif
