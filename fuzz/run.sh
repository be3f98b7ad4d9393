#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build/fuzz and runs one of them on its
# corpus for a number of seconds; new interesting inputs are added to the corpus.
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
ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
  build/fuzz/bin/"$target" -max_total_time="$seconds" -timeout=10 "fuzz/corpus/$target"
