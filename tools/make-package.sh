#!/usr/bin/env bash
# Installs what the build needs, builds the desktop program and makes its
# Debian package, build/klarbrix_VERSION_amd64.deb. Install it with
#   sudo apt install ./build/klarbrix_*_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-packages.sh ca-certificates g++ cmake make qt6-base-dev dpkg-dev file
cmake -S . -B build -DKLARBRIX_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
cd build
cpack -G DEB
