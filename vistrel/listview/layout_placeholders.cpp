#include "listview/layout_placeholders.h"
