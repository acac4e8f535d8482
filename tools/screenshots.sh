#!/bin/bash
# Draws the main window (both tabs), the options window and the About window
# under a virtual X server and saves them as PNG files: with the Qt front end
# (FOLDER/*.png) and, when the Windows build is there, with the Win32 front
# end under wine (FOLDER/win32/*.png).
# Usage: tools/screenshots.sh [FOLDER]   (default: <build>/screenshots/)
# The build folders are build/ and build-win/ unless KLARBRIX_BUILD and
# KLARBRIX_BUILD_WIN name others; the window test programs (targets
# klarbrix_qt_tests and klarbrix_win32_tests) must be built there.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KLARBRIX_BUILD:-$root/build}
build_win=${KLARBRIX_BUILD_WIN:-$root/build-win}
out=${1:-$build/screenshots}
qt_program=$build/klarbrix_qt_tests
win_program=$build_win/klarbrix_win32_tests.exe

if [ ! -x "$qt_program" ] && [ ! -f "$win_program" ]; then
  echo "screenshots: neither $qt_program nor $win_program is built" >&2
  exit 1
fi
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "screenshots: xvfb-run is missing (Debian package xvfb)" >&2
  exit 1
fi

mkdir -p "$out"
out=$(cd "$out" && pwd)
if [ -x "$qt_program" ]; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$qt_program" --screenshots "$out"
fi
if [ -f "$win_program" ]; then
  mkdir -p "$out/win32"
  export WINEPREFIX=${WINEPREFIX:-$build_win/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Windows drawn by wine itself, not waiting for a window manager that is not there.
  wine reg add 'HKCU\Software\Wine\AppDefaults\klarbrix_win32_tests.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # Wine started without a display must be gone before it is started with one.
  wineserver -w
  folder="Z:$out/win32"
  xvfb-run -a -s "-screen 0 1280x1024x24" wine "$win_program" --screenshots "${folder//\//\\}"
fi
