#!/usr/bin/env bash
# Starts the installed program (offscreen) for a user with an empty home,
# with a small .mkv named on its command line, and checks that its folders
# are made in that home, that the file was analysed there, and that nothing
# was written under /usr. Run it where the package is installed.
# Usage: tools/package-start-test.sh
set -euo pipefail

fail() { echo "package-start-test: $*" >&2; exit 1; }
command -v klarbrix >/dev/null || fail "klarbrix is not installed"

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
ffmpeg -hide_banner -loglevel error -nostdin -f lavfi -i testsrc=size=64x48:rate=25 -f lavfi -i sine \
  -t 1 -c:v mpeg4 -c:a ac3 "$home/essai.mkv"
stamp="$home/stamp"
touch "$stamp"
sleep 1  # so that anything written from now on is newer than the stamp

env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen \
  klarbrix "$home/essai.mkv" >"$home/output.txt" 2>&1 &
pid=$!
report="$home/.local/share/klarbrix/mediainfo.txt"
for _ in $(seq 1 100); do
  [ -s "$report" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
sleep 1
running=yes
kill "$pid" 2>/dev/null || running=no
wait "$pid" 2>/dev/null || true

[ "$running" = yes ] || { cat "$home/output.txt" >&2; fail "the program ended by itself"; }
cmp -s /usr/lib/klarbrix/options.txt "$home/.config/klarbrix/options.txt" ||
  fail "the delivered settings were not copied to ~/.config/klarbrix/options.txt"
[ "$(readlink "$home/.local/share/klarbrix/Applications")" = /usr/lib/klarbrix/Applications ] ||
  fail "~/.local/share/klarbrix/Applications does not lead to the tools"
grep -q Matroska "$report" || fail "the file named on the command line was not analysed into $report"
written=$(find /usr -path '*/__pycache__' -prune -o -newer "$stamp" -print)
[ -z "$written" ] || fail "written under /usr: $written"
echo "package-start-test: user folders made, file analysed, nothing written under /usr"
