#!/usr/bin/env bash
# Opt-in, not part of ./test.sh: builds the tests with ThreadSanitizer into build/tsan
# and runs the tests that read and draw on several threads at once (or those whose
# names match the optional ctest pattern).
#   scripts/tsan_test.sh [ctest -R pattern]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
pattern=${1:-'DrawingsOnTwoThreads|VectorCatalogueThreads'}
build_dir=build/tsan
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
export CCACHE_BASEDIR="$PWD"
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVEK_SANITIZE_THREAD=ON \
    -DTARVEK_TESTS=ON -DTARVEK_WERROR=ON
fi
# Only the threads tests by default (readers and renderers, and the catalogue's listing
# on several threads): the whole suite under ThreadSanitizer takes long.
if [ -z "${1:-}" ]; then
  cmake --build "$build_dir" --target halvern_threads_test vistrel_catalogue_test
else
  cmake --build "$build_dir"
fi
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -R "$pattern"
