#!/bin/sh
# Runs the command on a display of its own (Xvfb, 1280 x 1024, 24 bits) through Qt's X11
# platform. Exit status 77, which ctest counts as skipped, where Xvfb cannot start.
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run is not installed: skipped"
  exit 77
fi
screen="-screen 0 1280x1024x24"
if ! xvfb-run -a -s "$screen" true >/dev/null 2>&1; then
  echo "Xvfb cannot start here: skipped"
  exit 77
fi
unset WAYLAND_DISPLAY
QT_QPA_PLATFORM=xcb exec xvfb-run -a -s "$screen" "$@"
