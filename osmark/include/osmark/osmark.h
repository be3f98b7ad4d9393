/* Osmark: the platform-services library. Includes every public header. */
#ifndef OSMARK_OSMARK_H
#define OSMARK_OSMARK_H

#include "osmark/api.h"
#include "osmark/array.h"
#include "osmark/assigns.h"
#include "osmark/collectable.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/exit_list.h"
#include "osmark/files.h"
#include "osmark/format.h"
#include "osmark/geometry_types.h"
#include "osmark/graph.h"
#include "osmark/gui_services.h"
#include "osmark/gui_msgs.h"
#include "osmark/hash.h"
#include "osmark/hooks.h"
#include "osmark/library.h"
#include "osmark/lists.h"
#include "osmark/locks.h"
#include "osmark/locale.h"
#include "osmark/memory.h"
#include "osmark/modules.h"
#include "osmark/numbers.h"
#include "osmark/paged_array.h"
#include "osmark/paths.h"
#include "osmark/profile_services.h"
#include "osmark/strings.h"
#include "osmark/tags.h"
#include "osmark/tree.h"

#endif
