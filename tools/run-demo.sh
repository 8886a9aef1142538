#!/usr/bin/env bash
# `make run`: plays the demo clip with picture and sound in a window when there is a display;
# otherwise headless, with screenshots at the start, middle and end in build/demo-run/ and a
# summary from the journal. Exits 1 when no frame was played.
set -euo pipefail
dist="$1"
demo="$dist/demo"
clip="$demo/demo.avi"
mkdir -p "$demo"
if [ ! -s "$clip" ]; then
  echo "Making the demo clip $clip (10 s, XviD video with MP3 sound)"
  ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25 -f lavfi \
    -i sine=frequency=440:sample_rate=44100 -t 10 -c:v mpeg4 -vtag XVID -q:v 4 \
    -c:a libmp3lame -b:a 128k "$clip"
fi
export MORVELANT_HOME="${MORVELANT_HOME:-$PWD/build/demo-home}"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${MORVELANT_HEADLESS:-}" ]; then
  exec "$dist/morvelant" "$clip"
fi

out="$PWD/build/demo-run"
mkdir -p "$out"
rm -f "$out"/*.png "$out/journal.jsonl"
cat > "$out/script.txt" <<SCRIPT
wait 2500
screenshot $out/start.png
wait 4000
screenshot $out/middle.png
wait 3000
screenshot $out/end.png
wait 3000
quit
SCRIPT
"$dist/morvelant" --headless --script="$out/script.txt" --journal="$out/journal.jsonl" \
  --audio=null "$clip"

# One field of the first journal line with `event`.
field() {
  grep -m1 "\"event\":\"$1\"" "$out/journal.jsonl" | sed -n "s/.*\"$2\":\"\{0,1\}\([^\",}]*\).*/\1/p"
}
echo "No display: played the demo headless. Screenshots: $out/start.png $out/middle.png $out/end.png"
echo "Journal: $out/journal.jsonl"
opened=$(field item-opened path)
played=$(field item-ended played)
if [ -n "$opened" ]; then
  echo "Opened $opened: $(field item-opened width)x$(field item-opened height)," \
    "$(field item-opened frames) frames at $(field item-opened fps) fps," \
    "$(field item-opened fourcc) video, audio tag $(field item-opened audio_tag)"
fi
grep '"event":"messagebox"' "$out/journal.jsonl" || true
if [ -z "$played" ] || [ "$played" -eq 0 ]; then
  echo "No frame was played." >&2
  exit 1
fi
echo "Played $played of $(field item-ended total) frames, dropped $(field item-ended dropped)."
