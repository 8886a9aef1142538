#!/usr/bin/env bash
# Screenshots of every shipped skin, idle and playing a clip, taken by the real player headless:
#   tools/make-screenshots.sh [DIST] [OUT]      (defaults: build/dist docs/screenshots)
# Each skin runs at its own screen size from a fresh settings folder; the clip is made with
# ffmpeg when the demo's is missing.
set -euo pipefail
dist="$(realpath "${1:-build/dist}")"
out="$(realpath -m "${2:-docs/screenshots}")"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

clip="$dist/demo/demo.avi"
if [ ! -s "$clip" ]; then
  clip="$work/clip.avi"
  ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25 -f lavfi \
    -i sine=frequency=440:sample_rate=44100 -t 20 -c:v mpeg4 -vtag XVID -q:v 4 \
    -c:a pcm_s16le "$clip"
fi

shoot() {  # name screen png wait-ms [arguments...]
  local name="$1" screen="$2" png="$3" wait="$4"
  shift 4
  printf 'wait %s\nscreenshot %s\nquit\n' "$wait" "$png" > "$work/script.txt"
  rm -rf "$work/home"
  MORVELANT_HOME="$work/home" "$dist/morvelant" --headless --audio=null --screen="$screen" \
    --script="$work/script.txt" --journal="$work/$name.jsonl" "$@" > /dev/null 2>&1 || true
  [ -s "$png" ] || { echo "no screenshot for $name" >&2; return 1; }
  echo "$png"
}

for skin in "$dist"/Skins/*.pds; do
  name="$(basename "$skin" .pds)"
  screen="${name##*_}"
  shoot "$name-idle" "$screen" "$out/$name-idle.png" 1500 "-ts$skin"
  shoot "$name-playing" "$screen" "$out/$name-playing.png" 4000 "-ts$skin $clip"
done
