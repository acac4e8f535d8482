#!/usr/bin/env bash
# Checks the layers: each top-level folder sits wholly on one layer, and a file
# includes only its own layer and the layers below it, so the folder graph has
# no cycle. Prints each offending include; exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

# Bottom to top.
layers=(base platform ui model workers shell frontends app)
# What the front ends share: files right in frontends/ and the kit folder.
kit=frontends/kit

level() {  # level FOLDER: the index of its top-level folder, or nothing
  local top=${1%%/*} i
  for i in "${!layers[@]}"; do
    [ "${layers[$i]}" = "$top" ] && echo "$i" && return
  done
  return 0
}

within() {  # within FOLDER TREE: FOLDER is TREE or one of its subfolders
  [ "$1" = "$2" ] || [[ "$1" == "$2"/* ]]
}

allowed() {  # allowed FROM TO: may a file in folder FROM include one in TO?
  local from=$1 to=$2 own lf lt
  [ "$from" = "$to" ] && return 0
  case "$from" in
    tools/*)  # programs shipped beside the product: base, platform and their own folder
      own=$(cut -d/ -f1-2 <<<"$from")
      within "$to" base || within "$to" platform || within "$to" "$own"
      return ;;
    frontends | frontends/*)  # the contract, the system, their own folder and the kit
      within "$to" base || within "$to" platform || within "$to" ui && return 0
      [ "$to" = frontends ] || within "$to" "$kit" && return 0
      [ "$from" != frontends ] && ! within "$from" "$kit" && within "$to" "$(cut -d/ -f1-2 <<<"$from")"
      return ;;
  esac
  lf=$(level "$from"); lt=$(level "$to")
  [ -n "$lf" ] && [ -n "$lt" ] || return 1
  # In its own layer, a folder includes only the folders it lies in (an
  # implementation such as platform/posix includes its interface in platform).
  [ "$lt" -eq "$lf" ] && [[ "$from" == "$to"/* ]] && return 0
  [ "$lt" -lt "$lf" ]
}

status=0
while IFS= read -r file; do
  from=$(dirname "$file")
  while IFS= read -r target; do
    # Written from the file's own folder, or from the top of the sources.
    if [ -e "$from/$target" ]; then
      target=$(realpath -m --relative-to=. "$from/$target")
    elif [ ! -e "$target" ]; then
      continue  # a system header written with quotes
    fi
    to=$(dirname "$target")
    if ! allowed "$from" "$to"; then
      echo "$file includes $target: $to may not be included from $from"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(git ls-files -co --exclude-standard -- "${layers[@]/%//*}" 'tools/*' | grep -E '\.(h|cpp|rc)$')
[ $status -eq 0 ] && echo "Layers: every include goes to its own folder or below."
exit $status
