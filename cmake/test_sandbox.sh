#!/bin/sh
# Runs one test process with HOME, XDG_* and TMPDIR in a fresh folder of its own, so
# that no test touches the user's files and parallel tests never share settings.
sandbox=$(mktemp -d "${TMPDIR:-/tmp}/tarvek-test.XXXXXX") || exit 1
trap 'rm -rf "$sandbox"' EXIT INT TERM
mkdir -p "$sandbox/home" "$sandbox/config" "$sandbox/data" "$sandbox/cache" "$sandbox/tmp" \
  "$sandbox/runtime"
chmod 700 "$sandbox/runtime"
HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/config" XDG_DATA_HOME="$sandbox/data" \
XDG_CACHE_HOME="$sandbox/cache" XDG_RUNTIME_DIR="$sandbox/runtime" TMPDIR="$sandbox/tmp" "$@"
