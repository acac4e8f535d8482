#!/usr/bin/env bash
# delaycut.exe, our repair tool for Windows, under wine: names with accents,
# blanks, &, ( and %, a damaged stream repaired, a second run replacing its
# own outputs, and files it did not make left alone.
#   tests/tools/delaycut_win32.sh BUILD-WIN
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: delaycut_win32.sh BUILD-WIN}" && pwd)
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
tool=$build/program/Applications/delaycut.exe
fixtures=$here/fixtures
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
folder="$root/Vidéos été/films & (co) 100%"
mkdir -p "$folder"
passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); echo "ok: $what"; else failed=$((failed + 1)); echo "FAILED: $what"; fi
}
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }
repair() {  # repair FILE: runs the tool as the scripts do; its exit code
  wine "$tool" -fixcrc fix -start 0 -End 0 "$(winpath "$1")" 2>"$root/stderr"
}

# Two bytes of rubbish before the frames of a whole stream.
name="$folder/le film (2) 50%"
printf 'xx' > "$name.dts"
cat "$fixtures/three-frames.dts" >> "$name.dts"
repair "$name.dts"
check "a damaged stream is repaired" test $? -eq 0
check "the repaired stream holds the whole frames only" cmp -s "$name""_fixed.dts" "$fixtures/three-frames.dts"
check "the log names the input in cp1252" \
  grep -q "$(printf 'Input: Z:\\\\tmp\\\\.*Vid\xe9os \xe9t\xe9')" "$name""_log.txt"
check "the log says what was dropped" grep -q "Bytes in no frame: 2 in 1 place(s), dropped" "$name""_log.txt"

repair "$name.dts"
check "a second run replaces its own outputs" test $? -eq 0
check "and the output is whole again" cmp -s "$name""_fixed.dts" "$fixtures/three-frames.dts"

cp "$fixtures/two-frames.ac3" "$folder/b.ac3"
printf 'mine' > "$folder/b_fixed.ac3"
repair "$folder/b.ac3"
check "an output it did not make is refused" test $? -eq 2
check "and left alone" test "$(cat "$folder/b_fixed.ac3")" = mine
check "with a message" grep -q "was not made by this program" "$root/stderr"

repair "$folder/absent.dts"
check "a missing input fails" test $? -eq 2
check "no staging file is left" test -z "$(find "$root" -name '*.part-*')"

echo "delaycut.exe: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
