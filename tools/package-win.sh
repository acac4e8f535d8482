#!/usr/bin/env bash
# Builds the Windows program and packs its program folder into
# klarbrix-VERSION-win64.zip (VERSION as tools/version.sh prints it): Klarbrix/ with klarbrix.exe, options.txt,
# success.wav and Applications/ (our delaycut.exe and LISEZMOI.txt, which
# says which tools the user adds there). Nothing else of the build folder
# (test stand-ins, settings changed by tests) goes in.
# Usage: tools/package-win.sh [BUILD-WIN]   (default build-win/; the zip is written there)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-win}
version=$(bash "$root/tools/version.sh")
zip=klarbrix-$version-win64.zip

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" --toolchain "$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target klarbrix delaycut -j2
build=$(cd "$build" && pwd)

stage=$build/package/Klarbrix
rm -rf "$build/package" "${build:?}/$zip"
mkdir -p "$stage/Applications"
x86_64-w64-mingw32-strip -o "$stage/klarbrix.exe" "$build/klarbrix.exe"
x86_64-w64-mingw32-strip -o "$stage/Applications/delaycut.exe" "$build/program/Applications/delaycut.exe"
cp "$root/resources/options.txt" "$root/resources/success.wav" "$stage/"
cp "$build/program/Applications/LISEZMOI.txt" "$stage/Applications/"
(cd "$build/package" && cmake -E tar cf "$build/$zip" --format=zip Klarbrix)

# What went in; each part the program needs must be there.
listing=$(cd "$build/package" && find Klarbrix -type f | sort)
echo "$listing"
for part in Klarbrix/klarbrix.exe Klarbrix/options.txt Klarbrix/success.wav Klarbrix/Applications/delaycut.exe \
            Klarbrix/Applications/LISEZMOI.txt; do
  grep -qx "$part" <<<"$listing" || { echo "package-win: $part is missing" >&2; exit 1; }
done
echo "wrote $build/$zip ($(du -k "$build/$zip" | cut -f1) KiB)"
