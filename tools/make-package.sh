#!/usr/bin/env bash
# Installs what the build needs (as root, or through sudo; without either it
# names the packages to install), builds the desktop program and makes its
# Debian package, build/klarbrix_VERSION_amd64.deb. Install it as root with
#   apt install ./build/klarbrix_*_amd64.deb      (or: su -c 'apt install ...')
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-packages.sh ca-certificates g++ cmake make qt6-base-dev dpkg-dev file
cmake -S . -B build -DKLARBRIX_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
cd build
cpack -G DEB
echo "Pour l'installer, en tant que root : apt install $PWD/klarbrix_$(bash ../tools/version.sh)_amd64.deb"
