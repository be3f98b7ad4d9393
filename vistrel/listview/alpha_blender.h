// The alpha blender that the control hands to the custom-draw events of its items,
// groups and columns for the handlers' use. Its blend operations come with the
// background manager's work; the control's own painting does not call them.
#ifndef VISTREL_LISTVIEW_ALPHA_BLENDER_H
#define VISTREL_LISTVIEW_ALPHA_BLENDER_H

#include "framework/classes.h"

namespace vistrel::listview {

class TLqAlphaBlender : public fw::TObject {};

// The one blender the control's custom-draw events share; it lives as long as the
// program.
TLqAlphaBlender* LqSharedAlphaBlender();

}

#endif
