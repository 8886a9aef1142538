#!/usr/bin/env bash
# Cross-builds the video tests for aarch64 with clang and runs them under qemu, so that the NEON
# blit path is checked against the reference on an x86-64 machine. Any failure stops the script.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/arm64
for tool in clang++ qemu-aarch64 aarch64-linux-gnu-ld; do
  command -v "$tool" >/dev/null || { echo "test-arm64: $tool is missing (run make deps)" >&2; exit 1; }
done

cmake -S tests/arm64 -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/tools/aarch64-toolchain.cmake" >/dev/null
cmake --build "$build" -j 2 --target video_tests
qemu-aarch64 -L /usr/aarch64-linux-gnu "$build/video_tests"
