#!/usr/bin/env bash
# Installs what is missing, builds Klarbrix with its tests and runs the whole
# suite, makes and checks the Debian package (in CI also installed, started
# and removed), then runs the network tests again under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/check-layers.sh
bash tools/install-packages.sh ca-certificates g++ cmake make googletest libgtest-dev qt6-base-dev \
  mkvtoolnix mediainfo ffmpeg curl fonts-liberation qt6-translations-l10n dpkg-dev file desktop-file-utils lintian
jobs=$(nproc)
cmake -S . -B build -DKLARBRIX_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300
(cd build && cpack -G DEB >/dev/null)
if [ "${CI:-}" = true ]; then
  bash tools/check-package.sh --install build/klarbrix_0.8.6_amd64.deb
else
  bash tools/check-package.sh build/klarbrix_0.8.6_amd64.deb
fi
if grep -rqs 'httpGet' platform/http.h; then
  cmake -S . -B build-asan -DKLARBRIX_SANITIZE=ON -DKLARBRIX_QT=OFF >/dev/null
  cmake --build build-asan --target klarbrix_tests -j"$jobs"
  build-asan/klarbrix_tests --gtest_filter='Http*:UpdateCheck*'
fi
