// Reading the option tags of a filter run into its context.
#ifndef HALVERN_FILTER_FILTER_OPTIONS_H
#define HALVERN_FILTER_FILTER_OPTIONS_H

#include "filter/filter_context.h"
#include "osmark/tags.h"

namespace halvern {

// Stores every option of the list in the context: the last of a repeated tag, the first
// of DXFF_IGESUnits, DXFF_ErrorCode and DXFF_ErrorPosition, every rule in list order.
// The two name strings are copied with their escapes resolved. false when memory fails.
bool FilterReadOptions(DXFFilterContext& context, const TagItem* tags);

// An AllocStr copy of text with the backslash escapes resolved; NULL for NULL or when
// memory fails.
char* FilterUnescapedCopy(const char* text) noexcept;

}

#endif
