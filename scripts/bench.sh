#!/usr/bin/env bash
# Builds the benchmarks in Release into build/bench (or build/<name>) and runs one.
#   scripts/bench.sh [-d build-dir] <benchmark program> [benchmark arguments...]
# Example: scripts/bench.sh dxf_read_bench --benchmark_filter=Ascii
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
build_dir=build/bench
if [ "${1:-}" = "-d" ]; then
  build_dir=$2
  shift 2
fi
program=${1:?usage: scripts/bench.sh [-d build-dir] <program> [arguments...]}
shift
tarvek_build "$build_dir" -DCMAKE_BUILD_TYPE=Release -DTARVEK_TESTS=OFF -DTARVEK_BENCHMARKS=ON
exec "$build_dir/bin/$program" "$@"
