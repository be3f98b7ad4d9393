/*
 * Halvern as a loaded library: its version strings.
 *
 * Osmark exports data strings of the same five names; a program that needs Halvern's
 * own looks them up in libhalvern.so (dlsym on its handle).
 */
#ifndef HALVERN_LIBRARY_H
#define HALVERN_LIBRARY_H

#include "halvern/api.h"

HALVERN_BEGIN_DECLS

/* "Halvern <version>" */
HALVERN_API extern const char Application_Title[];
/* One NUL byte, then "$VER: Halvern <version> (<d.m.yyyy>)" */
HALVERN_API extern const char Application_Version[];
HALVERN_API extern const char Application_Copyright[];
HALVERN_API extern const char Application_Author[];
HALVERN_API extern const char Application_Description[];

HALVERN_END_DECLS

#endif
