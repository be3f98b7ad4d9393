#!/usr/bin/env bash
# Draws the main window's banner and logo into vistrel/artwork/ (or the folder given)
# with make_artwork, built in build/test first.
#   scripts/make_artwork.sh [folder]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
folder=${1:-vistrel/artwork}
build=build/test
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
export CCACHE_BASEDIR="$PWD"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEK_SANITIZE=ON \
    -DTARVEK_TESTS=ON -DTARVEK_WERROR=ON
fi
cmake --build "$build" --target make_artwork
mkdir -p "$folder"
"$build/bin/make_artwork" "$folder"
