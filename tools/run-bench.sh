#!/usr/bin/env bash
# Runs the blit benchmark from the build folder given as $1 and prints, per frame size, the time
# per frame, the time per output pixel and the ratios the blitters are held to. Further arguments
# go to the benchmark (e.g. --benchmark_filter=640x480). Each benchmark runs BENCH_REPETITIONS
# times (5 unless set), its runs spread through the whole session in random order, and the table
# takes the fastest run's CPU time: work from other programs only ever adds time, and comes in
# bursts, so the minimum over spread-out runs is the steadiest figure on a shared machine.
set -euo pipefail

build_dir=${1:?usage: run-bench.sh BUILD_DIR [benchmark options]}
shift
bench="$build_dir/bench/blit_bench"
[ -x "$bench" ] || { echo "run-bench.sh: $bench is missing; build with MORVELANT_BENCH=ON" >&2; exit 1; }

csv=$(mktemp)
list=$(mktemp)
trap 'rm -f "$csv" "$list"' EXIT
# The interleaved runs report in random order; the table follows the benchmarks' own order.
"$bench" --benchmark_list_tests=true "$@" >"$list" 2>/dev/null
"$bench" --benchmark_format=csv --benchmark_repetitions="${BENCH_REPETITIONS:-5}" \
  --benchmark_report_aggregates_only=true --benchmark_enable_random_interleaving=true "$@" \
  >"$csv" 2>/dev/null

awk -F, '
  function cell(field) { gsub(/"/, "", field); return field }
  FNR == NR {
    split($0, part, "/"); name = part[1]; size = part[2]
    if (!(size in seen)) { seen[size] = 1; sizes[++nsizes] = size }
    order[size, ++count[size]] = name
    next
  }
  FNR == 1 { next }
  {
    row = cell($1)
    if (row !~ /_min$/) next
    sub(/_min$/, "", row)
    split(row, part, "/"); name = part[1]; size = part[2]
    split(size, wh, "x")
    ns[size, name] = cell($4) + 0; px[size, name] = wh[1] * wh[2] * (name ~ /Double/ ? 4 : 1)
  }
  function mark(ok) { return ok ? "met" : "MISSED" }
  END {
    for (s = 1; s <= nsizes; s++) {
      size = sizes[s]
      upright = ns[size, "BlitUpright"] / px[size, "BlitUpright"]
      yuv = ns[size, "libyuv_I420ToRGB565"]
      sws = ns[size, "swscale_rgb565le"]
      if (ns[size, "swscale_bgr565le"] < sws) sws = ns[size, "swscale_bgr565le"]
      printf "\n%s\n%-22s %12s %10s %14s %10s\n", size, "benchmark", "ns/frame", "ns/pixel",
             "x BlitUpright", "x libyuv"
      for (i = 1; i <= count[size]; i++) {
        name = order[size, i]
        printf "%-22s %12.0f %10.3f %14.2f %10.2f\n", name, ns[size, name],
               ns[size, name] / px[size, name], ns[size, name] / px[size, name] / upright,
               ns[size, name] / yuv
      }
      printf "goals:\n"
      printf "  BlitUpright / libyuv I420ToRGB565 = %.2f (< 1: %s)\n", ns[size, "BlitUpright"] / yuv,
             mark(ns[size, "BlitUpright"] < yuv)
      printf "  BlitUpright / fastest swscale     = %.2f (< 1: %s)\n", ns[size, "BlitUpright"] / sws,
             mark(ns[size, "BlitUpright"] < sws)
      for (i = 1; i <= count[size]; i++) {
        name = order[size, i]
        if (name ~ /^Blit/ && name != "BlitUpright") {
          r = ns[size, name] / px[size, name] / upright
          printf "  %-20s per pixel / BlitUpright = %.2f (<= 2: %s)\n", name, r, mark(r <= 2)
        }
        if (name ~ /^Dither/) {
          r = ns[size, name] / yuv
          printf "  %-20s per frame / libyuv = %.2f (<= 4: %s)\n", name, r, mark(r <= 4)
        }
      }
    }
  }' "$list" "$csv"
