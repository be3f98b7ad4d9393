/*
 * Trennic as a loaded library: its version strings.
 *
 * Trennic starts up when it is loaded (it keeps its module handle and clears its exit
 * list) and runs its exit list, last registered first, when it is unloaded; nobody
 * calls either directly.
 *
 * Osmark and Halvern export data strings of the same five names; a program that needs
 * Trennic's own looks them up in libtrennic.so (dlsym on its handle).
 */
#ifndef TRENNIC_LIBRARY_H
#define TRENNIC_LIBRARY_H

#include "trennic/api.h"

TRENNIC_BEGIN_DECLS

/* "Trennic <version>" */
TRENNIC_API extern const char Application_Title[];
/* One NUL byte, then "$VER: Trennic <version> (<d.m.yyyy>)" */
TRENNIC_API extern const char Application_Version[];
TRENNIC_API extern const char Application_Copyright[];
TRENNIC_API extern const char Application_Author[];
TRENNIC_API extern const char Application_Description[];

TRENNIC_END_DECLS

#endif
