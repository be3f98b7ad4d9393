#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer
# into build/test and runs every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

tarvek_install_packages
tarvek_build build/test -DCMAKE_BUILD_TYPE=Debug -DTARVEK_SANITIZE=ON -DTARVEK_TESTS=ON \
  -DTARVEK_WERROR=ON
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build/test --output-on-failure --parallel "$(nproc)" "$@"
