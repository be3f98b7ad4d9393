#!/usr/bin/env bash
# Writes the viewer's sample drawings into samples/ (or the folder given) with the
# project's own generators: make_kzv (part files in every layout) and make_samples
# (DXF of several versions, ASCII and binary, blocks in an array, IGES, part files
# named with revisions and their reports). Both are built in build/test first.
#   scripts/make_samples.sh [folder]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
folder=${1:-samples}
build=build/test
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
export CCACHE_BASEDIR="$PWD"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEK_SANITIZE=ON \
    -DTARVEK_TESTS=ON -DTARVEK_WERROR=ON
fi
cmake --build "$build" --target make_kzv make_samples
# The libraries start up as the viewer does; their settings go to a throw-away folder.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
export QT_QPA_PLATFORM=offscreen
"$build/bin/make_kzv" "$folder"
"$build/bin/make_samples" "$folder"
