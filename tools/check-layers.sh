#!/usr/bin/env bash
# Checks that every folder includes only its own headers and those of the folders it builds on,
# the same table the build's include roots enforce, and that the plug-in SDK includes nothing of
# the player. Prints each offending include and exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [sdk]="morvelant"
  [platform]="platform morvelant"
  [core]="core platform morvelant"
  [media]="media core platform morvelant"
  [codecs]="codecs media core platform morvelant"
  [video]="video core platform morvelant"
  [skin]="skin core platform morvelant"
  [playlist]="playlist core platform morvelant"
  [device]="device core platform morvelant"
  [playback]="playback media codecs video skin playlist device core platform morvelant"
  [plugins]="plugins platform morvelant"
)

status=0
for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    target=$(sed -E 's/.*#include "([^"/]+)\/.*/\1/' <<<"${line#*:}")
    if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
      echo "$file includes $target/, a layer $folder/ does not build on"
      status=1
    fi
  done < <(grep -rHE '^\s*#\s*include "[^"/]+/' "$folder" --include='*.h' --include='*.c' \
             --include='*.cpp' || true)
done
exit $status
