#!/usr/bin/env bash
# Runs the fuzz targets of a fuzz build (preset "fuzz") for SECONDS each, one after the other,
# under the address, undefined-behaviour and leak sanitizers. Each starts from its committed
# seeds (tests/fuzz/seeds/NAME), its mended findings (tests/fuzz/regressions/NAME, so that they
# are replayed under clang's sanitizers too) and the corpus it grew in earlier runs
# (BUILD/corpus/NAME), with its dictionary when it has one. Any finding (crash, sanitizer report, leak, failed property,
# an input running over 10 s or over 2 GB) fails the run; the input is kept in
# BUILD/findings/NAME/ and belongs in tests/fuzz/regressions/NAME/ once mended.
# FUZZ_RUNS=N also ends each target after N executions, whichever comes first (a long run: one
# hour or ten million executions each).
# Prints one line per target: executions, coverage, corpus size, seconds taken.
# Usage: tools/run-fuzz.sh BUILD_DIR SECONDS [NAME...]
set -uo pipefail
build=${1:?usage: run-fuzz.sh BUILD_DIR SECONDS [NAME...]}
seconds=${2:?usage: run-fuzz.sh BUILD_DIR SECONDS [NAME...]}
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for binary in "$build"/fuzz/fuzz_*; do
    [ -x "$binary" ] && names+=("$(basename "$binary" | sed 's/^fuzz_//')")
  done
fi
[ ${#names[@]} -gt 0 ] || { echo "no fuzz targets in $build/fuzz"; exit 1; }

export ASAN_OPTIONS=detect_leaks=1:symbolize=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=0
for name in "${names[@]}"; do
  corpus=$build/corpus/$name
  findings=$build/findings/$name
  mkdir -p "$corpus" "$findings"
  dictionary=()
  [ -f "$build/fuzz/fuzz_$name.dict" ] && dictionary=(-dict="$build/fuzz/fuzz_$name.dict")
  mended=()
  [ -d "$root/tests/fuzz/regressions/$name" ] && mended=("$root/tests/fuzz/regressions/$name")
  log=$build/findings/$name.log
  started=$SECONDS
  "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -runs="${FUZZ_RUNS:--1}" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" "${dictionary[@]}" \
    "$corpus" "$root/tests/fuzz/seeds/$name" "${mended[@]}" >"$log" 2>&1
  status=$?
  taken=$((SECONDS - started))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  units=$(find "$corpus" -type f | wc -l)
  if [ $status -ne 0 ]; then
    failed=1
    echo "FINDING $name (exit $status): see $log and $findings/"
    grep -m 20 -E 'ERROR|SUMMARY|property failed|runtime error|Leak' "$log" | sed 's/^/  /'
  else
    printf '%-14s executions %-10s coverage %-6s corpus %-6s seconds %s\n' "$name" \
      "${runs:-?}" "${coverage:-?}" "$units" "$taken"
  fi
done
exit $failed
