/* Osmark: the platform-services library. Includes every public header. */
#ifndef OSMARK_OSMARK_H
#define OSMARK_OSMARK_H

#include "osmark/api.h"
#include "osmark/errors.h"
#include "osmark/exit_list.h"
#include "osmark/gui_services.h"
#include "osmark/hooks.h"
#include "osmark/library.h"
#include "osmark/lists.h"
#include "osmark/memory.h"
#include "osmark/profile_services.h"
#include "osmark/tags.h"

#endif
