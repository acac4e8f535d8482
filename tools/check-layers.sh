#!/usr/bin/env bash
# Checks that every source file includes only its own folder and the layers
# below it, so the folder graph has no cycle and no front end is included by
# anything but itself. Prints each offending include; exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# Rank of a folder; folders of one rank never include each other, except an
# implementation folder including the folder of its interface.
rank() {
  case "$1" in
    base) echo 0 ;;
    platform) echo 1 ;;
    platform/posix | platform/win32) echo 1.5 ;;
    ui) echo 2 ;;
    model) echo 3 ;;
    workers) echo 4 ;;
    shell) echo 5 ;;
    ui/memory | ui/qt | ui/win32) echo 6 ;;
    tools/*) echo tool ;;
    *) echo unknown ;;
  esac
}

allowed() {  # allowed FROM TO
  local from=$1 to=$2 rf rt
  [ "$from" = "$to" ] && return 0
  rf=$(rank "$from"); rt=$(rank "$to")
  if [ "$rf" = tool ]; then  # programs shipped beside the product: base and platform only
    case "$to" in base | platform | platform/posix | platform/win32 | "$from") return 0 ;; esac
    return 1
  fi
  [ "$rf" = unknown ] || [ "$rt" = unknown ] || [ "$rt" = tool ] && return 1
  [ "$rf" = 1.5 ] && [ "$to" = platform ] && return 0
  awk -v a="$rt" -v b="$rf" 'BEGIN { exit !(int(a) < int(b)) }'
}

status=0
while IFS= read -r file; do
  from=$(dirname "$file")
  while IFS= read -r target; do
    to=$(dirname "$target")
    [ -e "$target" ] || continue  # a system header written with quotes
    if ! allowed "$from" "$to"; then
      echo "$file includes $target: $to is not below $from"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files -co --exclude-standard -- 'base/*' 'platform/*' 'ui/*' 'model/*' 'workers/*' 'shell/*' 'tools/*' \
           | grep -E '\.(h|cpp)$')
[ $status -eq 0 ] && echo "Layers: every include goes to its own folder or below."
exit $status
