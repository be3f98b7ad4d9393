#!/usr/bin/env bash
# For development: builds the sanitizer test configuration into build/<name> and runs
# the tests whose names match the optional regular expression.
#   scripts/dev_test.sh <name> [ctest -R pattern]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
name=${1:?usage: scripts/dev_test.sh <name> [pattern]}
pattern=${2:-}
tarvek_build "build/$name" -DCMAKE_BUILD_TYPE=Debug -DTARVEK_SANITIZE=ON -DTARVEK_TESTS=ON \
  -DTARVEK_WERROR=ON
export QT_QPA_PLATFORM=offscreen
if [ -n "$pattern" ]; then
  ctest --test-dir "build/$name" --output-on-failure --parallel 4 -R "$pattern"
else
  ctest --test-dir "build/$name" --output-on-failure --parallel 4
fi
