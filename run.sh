#!/usr/bin/env bash
# Installs what is missing, builds Release into build/release and starts the viewer on
# the given file or folder (samples/ by default).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

tarvek_install_packages
tarvek_build build/release -DCMAKE_BUILD_TYPE=Release -DTARVEK_TESTS=OFF

viewer=build/release/bin/vistrel
if [ ! -x "$viewer" ]; then
  echo "The viewer is not built yet: the libraries are in build/release/bin."
  exit 0
fi
# Under a Wayland session the viewer goes through XWayland when there is one: moving
# the pointer after a zoom and placing the window, which the viewer does, work there.
if [ -n "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  export QT_QPA_PLATFORM=xcb
fi
exec "$viewer" "${1:-samples/}"
