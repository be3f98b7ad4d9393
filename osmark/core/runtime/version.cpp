// Osmark's version strings.

#include "osmark/library.h"

#define OSMARK_VERSION "1.0"
#define OSMARK_DATE "10.12.2026"

extern "C" {

const char Application_Title[] = "Osmark " OSMARK_VERSION;
const char Application_Version[] = "\0$VER: Osmark " OSMARK_VERSION " (" OSMARK_DATE ")";
const char Application_Copyright[] = "Copyright (c) 2026 Tarvek";
const char Application_Author[] = "Tarvek";
const char Application_Description[] =
    "Platform services: memory, lists, files, strings, windows and profile geometry";

}
