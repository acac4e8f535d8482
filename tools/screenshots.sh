#!/bin/bash
# Draws the main window (both tabs), the options window and the About window
# with the Qt front end under a virtual X server and saves them as PNG files.
# Usage: tools/screenshots.sh [FOLDER]   (default: <build>/screenshots/)
# The build folder is build/ unless KLARBRIX_BUILD names another; the widget
# test program (target klarbrix_qt_tests) must be built there.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KLARBRIX_BUILD:-$root/build}
out=${1:-$build/screenshots}
program=$build/klarbrix_qt_tests

if [ ! -x "$program" ]; then
  echo "screenshots: $program is missing (cmake --build $build --target klarbrix_qt_tests)" >&2
  exit 1
fi
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "screenshots: xvfb-run is missing (Debian package xvfb)" >&2
  exit 1
fi

mkdir -p "$out"
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$program" --screenshots "$out"
