#!/usr/bin/env bash
# `make run`: plays the demo in a window when there is a display, otherwise headless with a
# scripted screenshot and a printed summary of the journal.
set -euo pipefail
dist="$1"
demo="$dist/demo"
mkdir -p "$demo"
if [ ! -s "$demo/demo.avi" ] && command -v ffmpeg >/dev/null; then
  ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25 -f lavfi \
    -i sine=frequency=440:sample_rate=44100 -t 10 -c:v mpeg4 -vtag XVID -q:v 4 \
    -c:a libmp3lame -b:a 128k "$demo/demo.avi" 2>/dev/null ||
  ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25 -t 10 -c:v mpeg4 \
    -vtag XVID "$demo/demo.avi"
fi
export MORVELANT_HOME="${MORVELANT_HOME:-$PWD/build/demo-home}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$dist/morvelant" "$demo/demo.avi"
fi
out="$PWD/build/demo-run"
mkdir -p "$out"
cat > "$out/script.txt" <<SCRIPT
wait 1000
screenshot $out/start.png
# F10 opens the File menu; Escape closes it again.
key 0x79
wait 300
screenshot $out/menu.png
key 0x1B
wait 300
quit
SCRIPT
"$dist/morvelant" --headless --script="$out/script.txt" --journal="$out/journal.jsonl" \
  --audio=null "$demo/demo.avi"
echo "No display: ran headless. Screenshots: $out/start.png $out/menu.png"
echo "Journal ($out/journal.jsonl):"
cat "$out/journal.jsonl"
