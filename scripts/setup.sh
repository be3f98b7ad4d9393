#!/usr/bin/env bash
# Shared by run.sh and test.sh: installs the Debian packages the build needs when any
# is missing, and configures + builds one build folder.
set -euo pipefail

readonly TARVEK_PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config qt6-base-dev zlib1g-dev
  libjpeg-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation2
  fonts-crosextra-carlito fonts-dejavu-core clang-format xvfb xauth
)

tarvek_install_packages() {
  local missing=()
  local package
  for package in "${TARVEK_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# tarvek_build <build dir> <cmake args...>
tarvek_build() {
  local build_dir=$1
  shift
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
  export CCACHE_BASEDIR="$PWD"
  if [ ! -f "$build_dir/build.ninja" ]; then
    cmake -S . -B "$build_dir" -G Ninja "$@"
  fi
  cmake --build "$build_dir"
}
