// Internal operations on the drawing record.
#ifndef HALVERN_MODEL_DRAWING_INTERNAL_H
#define HALVERN_MODEL_DRAWING_INTERNAL_H

#include "halvern/drawing.h"

namespace halvern {

// Releases every block identifier's label text and label font name (FreeStr) and sets
// both to NULL. The renderer makes them when it places block labels.
void FreeDXFBlockLabels(DXFDrawingRec* drawing) noexcept;

}

#endif
