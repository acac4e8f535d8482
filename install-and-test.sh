#!/usr/bin/env bash
# Installs what is missing, builds Klarbrix with its tests and runs the whole
# suite; then the whole suite again under AddressSanitizer and UBSan, the
# tests that drive the program and its workers under ThreadSanitizer, and
# each fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/check-layers.sh
bash tools/install-packages.sh ca-certificates g++ cmake make googletest libgtest-dev qt6-base-dev \
  mkvtoolnix mediainfo ffmpeg curl clang libclang-rt-14-dev
jobs=$(nproc)
cmake -S . -B build -DKLARBRIX_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300
# Sanitizer builds at -O1: AddressSanitizer and UBSan for the test program and
# the programs it starts, every test; ThreadSanitizer for the programs that
# the driven tests start (klarbrix-drive and the workers' programs), run from
# the first build's test program. The fuzz targets run in between.
cmake -S . -B build-asan -DKLARBRIX_SANITIZE=ON -DKLARBRIX_QT=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" >/dev/null
cmake --build build-asan -j"$jobs" --target klarbrix_tests
cmake -S . -B build-tsan -DKLARBRIX_TSAN=ON -DKLARBRIX_QT=OFF -DKLARBRIX_TESTS=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" >/dev/null
cmake --build build-tsan -j"$jobs" --target klarbrix-drive klarbrix-cmd klarbrix-adapters
bash tools/fuzz.sh 20
driven=$(grep -ohE '^TEST(_F)?\([A-Za-z0-9_]+' tests/workers/*.cpp tests/shell/*drive*.cpp tests/e2e/*.cpp \
  | sed -E 's/^TEST(_F)?\(//' | sort -u | paste -sd'|' -)
KLARBRIX_PROGRAMS_DIR="$PWD/build-tsan" ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 300 \
  -R "^($driven)\."
ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 300
