#!/usr/bin/env bash
# Driver scenarios of the Windows program under wine: klarbrix-drive.exe with
# real cmd.exe running its scripts and the tool stand-in in Applications\.
# An immediate run and a queue of two jobs, with names holding %, blanks, &,
# ( and an accented parent folder; a name the scripts cannot carry; closing
# the program while a tool hangs. Where the
# two programs must agree, the same commands are also given to the Linux
# driver and the transcripts, tool calls and logs compared.
#   tests/win32/drive_scenarios.sh BUILD-WIN [BUILD-LINUX]
# Locales: fr_FR.UTF-8 (OEM code page 850) and en_US.UTF-8 (437) must exist.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
win_build=$(cd "${1:?usage: drive_scenarios.sh BUILD-WIN [BUILD-LINUX]}" && pwd)
linux_build=${2:-}
[ -n "$linux_build" ] && linux_build=$(cd "$linux_build" && pwd)
export WINEPREFIX=${WINEPREFIX:-$win_build/wineprefix} WINEDEBUG=-all
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
scenarios=$win_build/scenarios
rm -rf "$scenarios"
mkdir -p "$scenarios"
passed=0
failed=0

ok() { passed=$((passed + 1)); echo "ok: $1"; }
fail() { failed=$((failed + 1)); echo "FAILED: $1"; }
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}
# A Linux path as wine shows it: drive Z:, backslashes.
winpath() { local p="Z:$1"; echo "${p//\//\\}"; }

# A program folder under ROOT: the delivered options, the stand-ins.
program_folder() {  # program_folder ROOT STAND-IN
  local p="$1/Hélène & Cie (1)/programme"
  mkdir -p "$p/Applications" "$1/films & (co) 100%" "$1/Hélène & Cie (1)/sous-titres" "$1/Hélène & Cie (1)/sortie 100%"
  cp "$source_dir/resources/options.txt" "$p/"
  cp "$source_dir/tests/fixtures/dts_film.txt" "$p/Applications/report.txt"
  for tool in MediaInfo mkvextract delaycut eac3to mkvmerge; do cp "$2" "$p/Applications/$tool.exe"; done
  printf 'source' > "$1/films & (co) 100%/le film (2) 50%.mkv"
  printf 'source 2' > "$1/films & (co) 100%/second & last.mkv"
  printf '1\r\n00:00:01,000 --> 00:00:02,000\r\nsalut\r\n' > "$1/Hélène & Cie (1)/sous-titres/le film.srt"
  echo "$p"
}

# Runs a driver in its program folder: drive WHICH FOLDER COMMANDS-FILE OUT
drive() {
  if [ "$1" = win ]; then
    (cd "$2" && timeout 300 wine "$win_build/klarbrix-drive.exe" < "$3" 2> "$4.errors" | tr -d '\r' > "$4")
  else
    (cd "$2" && timeout 300 "$linux_build/klarbrix-drive" < "$3" > "$4" 2> "$4.errors")
  fi
}

# The commands of a scenario, paths written by PATH-FUNCTION from ROOT.
immediate_commands() {  # ROOT PATH-FUNCTION
  local r=$1 p=$2
  cat <<EOF
menu 0
folder $($p "$r/Hélène & Cie (1)/sortie 100%/")
click 52
check 51 1
click 4
file $($p "$r/films & (co) 100%/le film (2) 50%.mkv")
click 36
wait
file $($p "$r/Hélène & Cie (1)/sous-titres/le film.srt")
click 26
click 27
wait
show 31
show 35
EOF
}

queue_commands() {  # ROOT PATH-FUNCTION
  local r=$1 p=$2
  cat <<EOF
menu 0
folder $($p "$r/Hélène & Cie (1)/sortie 100%/")
click 52
check 51 1
click 4
file $($p "$r/films & (co) 100%/le film (2) 50%.mkv")
click 36
wait
click 19
wait
check 23 1
file $($p "$r/films & (co) 100%/second & last.mkv")
click 36
wait
menu 0
check 49 1
click 4
click 19
wait
show 37
click 38
wait
show 37
EOF
}

unix_path() { echo "$1"; }

# A text file with ROOT (in both forms) replaced by <root> and backslashes
# by slashes, so that both programs' outputs can be compared.
normalise() {  # normalise FILE ROOT
  ROOT=$2 WIN=$(winpath "$2") perl -pe 's/\r$//; s/\Q$ENV{WIN}\E/<root>/g; s/\Q$ENV{ROOT}\E/<root>/g; s{\\}{/}g' "$1"
}
# The same file made by both programs, compared after normalising.
same() {  # same WHAT WIN-FILE WIN-ROOT LINUX-FILE LINUX-ROOT
  if diff <(normalise "$2" "$3") <(normalise "$4" "$5") > "$scenarios/diff.txt"; then
    ok "$1"
  else
    fail "$1"
    cat "$scenarios/diff.txt"
  fi
}
has_line() { grep -qxF -- "$2" "$1"; }
lacks_line() { ! grep -qxF -- "$2" "$1"; }
lacks_text() { ! grep -qF -- "$2" "$1"; }

immediate() {  # immediate LOCALE
  local root="$scenarios/immediate-$1" p out
  mkdir -p "$root"
  p=$(program_folder "$root" "$win_build/klarbrix-stand-in.exe")
  immediate_commands "$root" winpath > "$root/commands"
  out="$root/transcript"
  LANG=$1 drive win "$p" "$root/commands" "$out"
  local result="$root/Hélène & Cie (1)/sortie 100%/le film (2) 50%.mkv"
  check "immediate run ($1): verdict" has_line "$out" "message: Le traitement s'est bien passé"
  check "immediate run ($1): result in the accented folder" test "$(cat "$result" 2>/dev/null)" = mkv
  local srt films
  srt=$(winpath "$root/Hélène & Cie (1)/sous-titres/le film.srt")
  films=$(winpath "$root/films & (co) 100%/le film (2) 50%")
  check "immediate run ($1): names reach the tools intact" \
    has_line "$p/Applications/calls.txt" "mkvmerge|-o|$(winpath "${result%.mkv}.part.mkv")|--default-duration|0:25.000fps|--compression|0:none|$films.h264|--sync|0:1500|--compression|0:none|--language|0:fre|$films.ac3|--sub-charset|0:UTF-8|$srt"
  check "immediate run ($1): scripts and temporaries gone" \
    test ! -e "$p/mkvmerge.bat" -a ! -e "$p/mkvextract.bat" -a ! -e "$root/films & (co) 100%/le film (2) 50%.h264"
  if [ -n "$linux_build" ] && [ "$1" = fr_FR.UTF-8 ]; then
    local lroot="$scenarios/immediate-linux" lp
    mkdir -p "$lroot"
    lp=$(program_folder "$lroot" "$linux_build/klarbrix-stand-in")
    immediate_commands "$lroot" unix_path > "$lroot/commands"
    drive linux "$lp" "$lroot/commands" "$lroot/transcript"
    same "immediate run: transcript as on Linux" "$out" "$root" "$lroot/transcript" "$lroot"
    same "immediate run: tool calls as on Linux" "$p/Applications/calls.txt" "$root" "$lp/Applications/calls.txt" "$lroot"
    same "immediate run: log.txt as on Linux" "$p/log.txt" "$root" "$lp/log.txt" "$lroot"
  fi
}

queue() {  # queue LOCALE
  local root="$scenarios/queue-$1" p out
  mkdir -p "$root"
  p=$(program_folder "$root" "$win_build/klarbrix-stand-in.exe")
  queue_commands "$root" winpath > "$root/commands"
  out="$root/transcript"
  LANG=$1 drive win "$p" "$root/commands" "$out"
  local films
  films=$(winpath "$root/films & (co) 100%/")
  check "queue ($1): both jobs green" grep -qxF -e "37 row 1: second & last | ${films}second & last.mkv | DTS |  | green" "$out"
  check "queue ($1): first job green" grep -qxF -e "37 row 0: le film (2) 50% | ${films}le film (2) 50%.mkv | DTS | fre | green" "$out"
  local results="$root/Hélène & Cie (1)/sortie 100%"
  check "queue ($1): both results made in the accented folder" \
    test -e "$results/le film (2) 50%.mkv" -a -e "$results/second & last.mkv"
  check "queue ($1): purge scripts ran" test ! -e "$root/films & (co) 100%/le film (2) 50%.dts"
  # RD /S /Q empties the folder it runs in; Windows keeps the folder itself,
  # as the current folder of the interpreter (on Linux it goes too).
  check "queue ($1): job folders emptied by their purge scripts" \
    test -z "$(find "$p/job1" "$p/job2" -mindepth 1 2>/dev/null)"
  if [ -n "$linux_build" ]; then
    local lroot="$scenarios/queue-linux" lp
    mkdir -p "$lroot"
    lp=$(program_folder "$lroot" "$linux_build/klarbrix-stand-in")
    queue_commands "$lroot" unix_path > "$lroot/commands"
    drive linux "$lp" "$lroot/commands" "$lroot/transcript"
    same "queue: transcript as on Linux" "$out" "$root" "$lroot/transcript" "$lroot"
    same "queue: tool calls as on Linux" "$p/Applications/calls.txt" "$root" "$lp/Applications/calls.txt" "$lroot"
  fi
}

# Names the command interpreter's code page cannot carry are refused when
# chosen; which ones depends on the system (Á is in 850, not in 437).
refusals() {  # refusals LOCALE
  local root="$scenarios/refusals-$1" p out
  mkdir -p "$root/Œuvres" "$root/Ágata"
  p=$(program_folder "$root" "$win_build/klarbrix-stand-in.exe")
  printf 'source' > "$root/Œuvres/film.mkv"
  printf 'source' > "$root/Ágata/film.mkv"
  printf 'file %s\nclick 36\nwait\nshow 35\nclick 39\nfile %s\nclick 36\nwait\nshow 35\n' \
    "$(winpath "$root/Œuvres/film.mkv")" "$(winpath "$root/Ágata/film.mkv")" > "$root/commands"
  out="$root/transcript"
  LANG=$1 drive win "$p" "$root/commands" "$out"
  local refused="message: Ce chemin contient un caractère non pris en charge, merci de renommer le fichier ou le dossier"
  check "refusals ($1): Œ refused" test "$(grep -cxF "$refused" "$out")" -ge 1
  if [ "$1" = fr_FR.UTF-8 ]; then
    check "refusals ($1): Á accepted in code page 850" has_line "$out" "35 text: film.mkv"
    check "refusals ($1): one refusal" test "$(grep -cxF "$refused" "$out")" -eq 1
  else
    check "refusals ($1): Á refused in code page 437" test "$(grep -cxF "$refused" "$out")" -eq 2
    check "refusals ($1): nothing analysed" test ! -e "$p/Applications/calls.txt"
  fi
}

# What eac3to.exe receives from the eac3to.bat of each audio format, through
# cmd.exe: the input with the extension the transcoder knows the format by,
# the .ac3 output, the rate and mix-down switches; no call where the track is
# kept (Opus and Vorbis, which it cannot read, E-AC3 with its option, AC3).
formats() {  # formats LOCALE
  local what format profile channels options ext switches
  while IFS='|' read -r what format profile channels options ext switches; do
    local root="$scenarios/formats-${what// /_}" p films
    mkdir -p "$root"
    p=$(program_folder "$root" "$win_build/klarbrix-stand-in.exe")
    for o in $options; do sed -i "s/^${o%=*} = .*/${o%=*} = ${o#*=}/" "$p/options.txt"; done
    FORMAT=$format PROFILE=$profile CHANNELS=$channels perl -0pi -e \
      's/Format( +): DTS\r?\nChannel\(s\)( +): 6 channels/Format$1: $ENV{FORMAT}\nCommercial name                  : $ENV{PROFILE}\nChannel(s)$2: $ENV{CHANNELS} channels/' \
      "$p/Applications/report.txt"
    printf 'file %s\nclick 36\nwait\nclick 27\nwait\n' "$(winpath "$root/films & (co) 100%/le film (2) 50%.mkv")" \
      > "$root/commands"
    LANG=$1 drive win "$p" "$root/commands" "$root/transcript"
    films=$(winpath "$root/films & (co) 100%/le film (2) 50%")
    check "formats ($what): run ends well" has_line "$root/transcript" "message: Le traitement s'est bien passé"
    if [ "$ext" = - ]; then
      check "formats ($what): kept, no transcode" lacks_text "$p/Applications/calls.txt" "eac3to|"
    else
      check "formats ($what): eac3to.exe's command line" \
        has_line "$p/Applications/calls.txt" "eac3to|$films.$ext|$films.ac3|${switches// /|}"
    fi
  done <<'EOF'
TrueHD 7.1|MLP FAT|Dolby TrueHD|8||thd|-libav -down6
TrueHD 7.1 at 448|MLP FAT|Dolby TrueHD|8|ac3448=1|thd|-libav -448 -down6
DTS 5.1|DTS||6||dts|-libav
DTS-HD MA 7.1|DTS XLL|DTS-HD Master Audio|8||dts|-libav -down6
FLAC stereo|FLAC||2||flac|-libav -640
Opus 5.1|Opus||6||-|
Vorbis stereo|Vorbis||2||-|
PCM 5.1|PCM||6||wav|-libav
AAC 5.1|AAC||6||aac|-libav
E-AC3 5.1|E-AC-3||6||eac3|-libav
E-AC3 5.1 at 448|E-AC-3||6|ac3448=1|eac3|-libav -448
E-AC3 5.1 kept|E-AC-3||6|keepeac3=1|-|
AC3 5.1|AC-3||6||-|
EOF
}

# A tool that never ends, stopped by "Annuler": the run says so, the tool is
# ended with the script's whole tree (a job object) and the temporaries go.
hung() {  # hung LOCALE
  local root="$scenarios/hung" p out films
  mkdir -p "$root"
  p=$(program_folder "$root" "$win_build/klarbrix-stand-in.exe")
  touch "$p/Applications/hang-eac3to"
  printf 'file %s\nclick 36\nwait\nclick 27\nawait Applications/hang.pid\nclick 39\nwait\nshow 21\n' \
    "$(winpath "$root/films & (co) 100%/le film (2) 50%.mkv")" > "$root/commands"
  out="$root/transcript"
  LANG=$1 drive win "$p" "$root/commands" "$out"
  films="$root/films & (co) 100%/le film (2) 50%"
  check "hung tool ($1): the run says it was cancelled" has_line "$out" "status: traitement annulé"
  check "hung tool ($1): no verdict" lacks_text "$out" "message: Le traitement"
  # (the pattern does not match this shell's own command line)
  check "hung tool ($1): the tool was ended" \
    sh -c 'for i in 1 2 3 4 5 6 7 8 9 10; do pgrep -f "eac3t[o][.]exe" > /dev/null || exit 0; sleep 0.5; done; exit 1'
  check "hung tool ($1): temporaries gone, no result" \
    test ! -e "$films.h264" -a ! -e "$films.dts" -a ! -e "$films.ac3" -a ! -e "${films}_remux.mkv"
}

# Closing while a tool hangs, answering yes: the tool and its script are
# stopped, the temporaries go and the program ends.
closing() {
  local root="$scenarios/closing" p out film
  mkdir -p "$root"
  p=$(program_folder "$root" "$win_build/klarbrix-stand-in.exe")
  touch "$p/Applications/hang-eac3to"
  film="$root/films & (co) 100%/le film (2) 50%"
  printf 'file %s\nclick 36\nwait\nclick 27\nawait Applications/hang.pid\nanswer yes\nclose\n' \
    "$(winpath "$film.mkv")" > "$root/commands"
  out="$root/transcript"
  LANG=fr_FR.UTF-8 drive win "$p" "$root/commands" "$out"
  check "closing: ends once the run has stopped" test $? -eq 0
  check "closing: asked first" has_line "$out" "question: Un traitement est en cours. Voulez-vous l'arrêter et quitter ?"
  check "closing: run stopped" has_line "$out" "status: traitement annulé"
  check "closing: temporaries gone" test ! -e "$film.h264" -a ! -e "$film.dts"
}

immediate fr_FR.UTF-8
hung fr_FR.UTF-8
immediate en_US.UTF-8
closing
queue fr_FR.UTF-8
refusals fr_FR.UTF-8
refusals en_US.UTF-8
formats fr_FR.UTF-8
echo "Scenarios: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
