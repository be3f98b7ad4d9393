#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build/fuzz and runs one of them on its
# saved corpus for a number of seconds. New inputs go to build/fuzz/corpus/<target> and
# crashes to build/fuzz/artifacts/<target>/: keep the ones worth keeping in fuzz/corpus/.
#   fuzz/run.sh <target> [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: fuzz/run.sh <target> [seconds]}
seconds=${2:-60}
if ! command -v clang++-14 >/dev/null; then
  sudo_cmd=""; [ "$(id -u)" -ne 0 ] && sudo_cmd=sudo
  $sudo_cmd apt-get install -y -qq clang-14 libclang-rt-14-dev
fi
if [ ! -f build/fuzz/build.ninja ]; then
  CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARVEK_FUZZ=ON -DTARVEK_TESTS=OFF
fi
cmake --build build/fuzz --target "$target"
mkdir -p "fuzz/corpus/$target"
# The libraries read and write their settings under HOME and the XDG folders at start-up:
# give the run a sandbox of its own, as the tests have.
sandbox=$(mktemp -d)
trap 'rm -rf "$sandbox"' EXIT
export HOME=$sandbox/home XDG_CONFIG_HOME=$sandbox/config XDG_DATA_HOME=$sandbox/data \
  XDG_CACHE_HOME=$sandbox/cache XDG_RUNTIME_DIR=$sandbox/runtime TMPDIR=$sandbox/tmp
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
chmod 700 "$XDG_RUNTIME_DIR"
work_corpus=$PWD/build/fuzz/corpus/$target
artifacts=$PWD/build/fuzz/artifacts/$target/
mkdir -p "$work_corpus" "$artifacts"
# Every library exports its own Application_* strings by design; clang's ASan takes
# the same names in two libraries for an ODR violation.
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1:detect_odr_violation=0 \
  "$PWD/build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=10 \
  -artifact_prefix="$artifacts" "$work_corpus" "$PWD/fuzz/corpus/$target"
