#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer
# into build/test, runs every test and checks the layout of the lines changed since the
# last commit (scripts/check_format.sh). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

tarvek_install_packages
tarvek_build build/test -DCMAKE_BUILD_TYPE=Debug -DTARVEK_SANITIZE=ON -DTARVEK_TESTS=ON \
  -DTARVEK_WERROR=ON
export QT_QPA_PLATFORM=offscreen
tests=0
ctest --test-dir build/test --output-on-failure --parallel "$(nproc)" "$@" || tests=$?
# After the tests, so that a layout slip does not hide their results.
layout=0
scripts/check_format.sh || layout=$?
[ "$tests" -eq 0 ] && [ "$layout" -eq 0 ]
