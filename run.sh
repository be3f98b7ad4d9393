#!/usr/bin/env bash
# Installs what is missing, builds Release into build/release and starts the viewer on
# the given drawing file or folder (samples/ by default).
#   ./run.sh [file or folder]
set -euo pipefail

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Tarvek CAD Viewer needs a graphical display, and neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
  exit 1
fi

# The argument as the caller meant it, before the script moves to its own folder.
here=$(cd "$(dirname "$0")" && pwd)
target=${1:-$here/samples}
if [ ! -e "$target" ]; then
  echo "No such file or folder: $target" >&2
  exit 1
fi
target=$(realpath -- "$target")

cd "$here"
source scripts/setup.sh
tarvek_install_packages
tarvek_build build/release -DCMAKE_BUILD_TYPE=Release -DTARVEK_TESTS=OFF

# The viewer opens the folder of the drawing it is given and selects it; for a folder
# it is given the folder's first drawing, in the order the viewer lists them.
if [ -d "$target" ]; then
  folder=$target
  target=$(find "$folder" -maxdepth 1 -type f \
    \( -iname '*.kzv' -o -iname '*.dxf' -o -iname '*.igs' -o -iname '*.iges' -o -iname '*.dwg' \) \
    -printf '%f\n' | LC_ALL=C sort -f | head -n 1)
  if [ -z "$target" ]; then
    echo "No drawing files (.KZV, .DXF, .IGS, .IGES, .DWG) in $folder" >&2
    exit 1
  fi
  target=$folder/$target
fi

# Under a Wayland session the viewer goes through XWayland when there is one: moving
# the pointer after a zoom and placing the window, which the viewer does, work there.
if [ -n "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  export QT_QPA_PLATFORM=xcb
fi
exec build/release/bin/vistrel "$target"
