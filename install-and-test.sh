#!/usr/bin/env bash
# Installs what is missing, builds Klarbrix with its tests and runs the whole
# suite; makes and checks the Debian package (in CI also installed, started
# and removed); runs the whole suite again under AddressSanitizer and UBSan,
# the tests that drive the program and its workers under ThreadSanitizer, and
# each fuzz target for a short while; then cross-builds the Windows program
# and runs its tests, driver scenarios and window tests under wine.
set -euo pipefail
cd "$(dirname "$0")"
bash tools/check-layers.sh
bash tools/install-packages.sh ca-certificates g++ cmake make googletest libgtest-dev qt6-base-dev \
  mkvtoolnix mediainfo ffmpeg curl fonts-liberation qt6-translations-l10n dpkg-dev file desktop-file-utils lintian \
  clang libclang-rt-14-dev
jobs=$(nproc)
cmake -S . -B build -DKLARBRIX_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300
(cd build && cpack -G DEB >/dev/null)
deb=build/klarbrix_$(bash tools/version.sh)_amd64.deb
if [ "${CI:-}" = true ]; then
  bash tools/check-package.sh --install "$deb"
else
  bash tools/check-package.sh "$deb"
fi
# Sanitizer builds at -O1: AddressSanitizer and UBSan for the test program and
# the programs it starts, every test; ThreadSanitizer for the programs that
# the driven tests start (klarbrix-drive and the workers' programs), run from
# the first build's test program. The fuzz targets run in between.
cmake -S . -B build-asan -DKLARBRIX_SANITIZE=ON -DKLARBRIX_QT=OFF -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" >/dev/null
cmake --build build-asan -j"$jobs" --target klarbrix_tests
cmake -S . -B build-tsan -DKLARBRIX_TSAN=ON -DKLARBRIX_QT=OFF -DKLARBRIX_TESTS=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" >/dev/null
cmake --build build-tsan -j"$jobs" --target klarbrix-drive klarbrix-cmd klarbrix-adapters
bash tools/fuzz.sh 10
driven=$(grep -ohE '^TEST(_F)?\([A-Za-z0-9_]+' tests/workers/*.cpp tests/shell/*drive*.cpp tests/e2e/*.cpp \
  | sed -E 's/^TEST(_F)?\(//' | sort -u | paste -sd'|' -)
KLARBRIX_PROGRAMS_DIR="$PWD/build-tsan" ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 300 \
  -R "^($driven)\."
ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 300

# The Windows program: cross-built with mingw-w64, its tests and the driver
# scenarios run under wine (a prefix of its own in build-win/), with a French
# (OEM code page 850) and an English (437) locale.
bash tools/install-packages.sh g++-mingw-w64-x86-64-posix wine wine64 locales
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
for l in fr_FR en_US; do
  locale -a | grep -qx "$l.utf8" || $sudo localedef -i "$l" -f UTF-8 "$l.UTF-8"
done
cmake -S . -B build-win --toolchain cmake/mingw-w64.cmake >/dev/null
cmake --build build-win --target klarbrix_tests klarbrix-drive klarbrix-stand-in -j2
# No .NET, browser engine or sound driver: nothing here needs them.
export WINEPREFIX=$PWD/build-win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winealsa.drv,winepulse.drv="
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i
(cd build-win && LANG=fr_FR.UTF-8 wine klarbrix_tests.exe && LANG=en_US.UTF-8 wine klarbrix_tests.exe --gtest_filter='Win32*')
bash tests/win32/drive_scenarios.sh build-win build

# The Win32 windows read back from the real windows under a virtual X server,
# our delaycut.exe under wine, and the zip package.
bash tools/install-packages.sh xvfb xauth
cmake --build build-win --target klarbrix klarbrix_win32_tests delaycut -j2
wine reg add 'HKCU\Software\Wine\AppDefaults\klarbrix_win32_tests.exe\X11 Driver' /v Managed /d N /f >/dev/null
wineserver -w  # wine started without a display must be gone before it is started with one
(cd build-win && LANG=fr_FR.UTF-8 timeout 600 xvfb-run -a -s "-screen 0 1280x1024x24" wine klarbrix_win32_tests.exe)
LANG=fr_FR.UTF-8 bash tests/tools/delaycut_win32.sh build-win
bash tools/package-win.sh build-win
