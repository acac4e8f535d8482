#!/usr/bin/env bash
# Installs what is missing, builds Klarbrix, makes the demo file and starts
# the program from its program folder (build/program).
set -euo pipefail
cd "$(dirname "$0")"
bash tools/install-packages.sh ca-certificates g++ cmake make qt6-base-dev mkvtoolnix mediainfo ffmpeg \
  xdg-utils alsa-utils fonts-liberation qt6-translations-l10n
cmake -S . -B build -DKLARBRIX_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
[ -f tools/make-demo.sh ] && [ ! -d samples ] && bash tools/make-demo.sh samples
cd build/program
exec ./klarbrix
