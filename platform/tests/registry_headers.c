/* The registry, environment and shell-folder headers compile alone as strict C. */
#include "platform/environment.h"
#include "platform/registry.h"
#include "platform/shell_folders.h"

HKEY registry_headers_roots[2];

void registry_headers_use(void)
{
    registry_headers_roots[0] = HKEY_CURRENT_USER;
    registry_headers_roots[1] = HKEY_LOCAL_MACHINE;
}
