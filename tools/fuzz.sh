#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (ASan and UBSan) in
# build-fuzz/ and runs each on its seed corpus (fuzz/corpus/<target>/) for a
# while; what a run adds to the corpus goes to build-fuzz/corpus/, the input
# behind a failure to build-fuzz/artifacts/. Exits 1 when a target failed.
#   bash tools/fuzz.sh [SECONDS_PER_TARGET (20)] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(report_scan options http_answer command_line batch_line mediainfo_report frames media_head)

build=build-fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKLARBRIX_FUZZ=ON -DKLARBRIX_TESTS=OFF -DKLARBRIX_QT=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

status=0
mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  work="$build/corpus/$target"
  mkdir -p "$work"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$build/artifacts/$target-")
  [ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
  echo "== $target (${seconds} s)"
  if ! "$build/fuzz_$target" "${options[@]}" "$work" "fuzz/corpus/$target" >"$build/$target.log" 2>&1; then
    tail -n 40 "$build/$target.log"
    echo "fuzz_$target FAILED; input kept in $build/artifacts/"
    status=1
  else
    grep -E '^(stat::number_of_executed_units|Done)' "$build/$target.log" || true
  fi
done
exit $status
