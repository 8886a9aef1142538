#!/usr/bin/env bash
# Makes the fuzz targets' seeds in tests/fuzz/seeds/ (committed): tiny AVIs with real codec
# streams from ffmpeg, pictures from ImageMagick, the shipped registry, scripts and command
# lines, and the structural AVI and settings seeds from build/tests/make_fuzz_seeds.
# Usage: tools/make-fuzz-seeds.sh [BUILD_DIR]   (the release build by default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seeds=tests/fuzz/seeds
for target in avi_reader avi_parser video_codec audio_codec registry settings command_line \
              script image mpeg_header reader_plugins stream_parsers; do
  mkdir -p "$seeds/$target"
done

cmake --build "$build" --target make_fuzz_seeds >/dev/null
"$build/tests/make_fuzz_seeds" "$seeds"

video="testsrc=size=32x24:rate=25:duration=0.2"
tone="sine=frequency=440:sample_rate=8000:duration=0.3"
ff() {  # ff FOLDER NAME ARGS...
  local folder=$1 name=$2
  shift 2
  ffmpeg -nostdin -loglevel error -y "$@" -fflags +bitexact "$seeds/$folder/$name"
}
ff video_codec xvid.avi -f lavfi -i "$video" -c:v libxvid -vtag XVID
ff video_codec div3.avi -f lavfi -i "$video" -c:v msmpeg4 -vtag DIV3
ff video_codec mpg1.avi -f lavfi -i "$video" -c:v mpeg1video -vtag mpg1
ff video_codec mjpg.avi -f lavfi -i "$video" -c:v mjpeg -vtag MJPG -q:v 20
ff video_codec h264.avi -f lavfi -i "$video" -c:v libx264 -preset ultrafast -vtag H264
ff audio_codec mp3.avi -f lavfi -i "$tone" -c:a libmp3lame -b:a 8k
ff audio_codec mp2.avi -f lavfi -i "$tone" -ar 16000 -c:a mp2 -b:a 32k
ff audio_codec adpcm_ms.avi -f lavfi -i "$tone" -c:a adpcm_ms
ff audio_codec adpcm_ima.avi -f lavfi -i "$tone" -c:a adpcm_ima_wav
ff audio_codec alaw.avi -f lavfi -i "$tone" -c:a pcm_alaw
ff audio_codec pcm.avi -f lavfi -i "$tone" -c:a pcm_s16le
ff audio_codec pcm_u8.avi -f lavfi -i "$tone" -c:a pcm_u8
ff mpeg_header tone.mp3 -f lavfi -i "$tone" -c:a libmp3lame -b:a 8k -metadata title=Seed \
  -id3v2_version 3 -write_xing 1

# Pictures: the first byte picks the maximum size the decoder fits them in.
for format in jpg png bmp gif; do
  convert -size 12x9 xc:red -fill blue -draw 'rectangle 6,0 11,8' "/tmp/seed.$format"
  { printf '\003'; cat "/tmp/seed.$format"; } >"$seeds/image/small.$format"
  rm -f "/tmp/seed.$format"
done

cp plugins/registry.default.reg "$seeds/registry/default.reg"
printf 'REGEDIT4\n[HKEY_CURRENT_USER\\x]\n"a"=dword:0000003c\n"b"="c"\n' >"$seeds/registry/small.reg"
printf 'wait 250\ntap 10 20\nkey 0x26\ncommand 40002\nscreenshot a.png\nanswer ok\nquit\n' \
  >"$seeds/script/every_verb.txt"
printf -- '--headless\0--screen=320x240\0--script=/nonexistent\0-ts/s/a.pds /v/b.avi' \
  >"$seeds/command_line/skin.args"
printf -- '--audio=wav:/tmp/x.wav\0/music/list.pls 3' >"$seeds/command_line/playlist.args"

# The reader plug-ins: the first byte picks the reader (even: MPEG audio, odd: libavformat) and
# the largest picture of the reader parameter.
reader_seed() {  # reader_seed FIRST_BYTE NAME ARGS...
  local first=$1 name=$2
  shift 2
  ffmpeg -nostdin -loglevel error -y "$@" -fflags +bitexact "/tmp/seed-$name"
  { printf "\\$first"; cat "/tmp/seed-$name"; } >"$seeds/reader_plugins/$name"
  rm -f "/tmp/seed-$name"
}
reader_seed 000 tone.mp3 -f lavfi -i "$tone" -c:a libmp3lame -b:a 8k -write_xing 1
reader_seed 002 tone.mp2 -f lavfi -i "$tone" -ar 16000 -c:a mp2 -b:a 32k -f mp2
reader_seed 001 h264_aac.mp4 -f lavfi -i "$video" -f lavfi -i "$tone" -c:v libx264 \
  -preset ultrafast -c:a aac -b:a 16k -shortest
reader_seed 003 mpeg4_mp3.mkv -f lavfi -i "$video" -f lavfi -i "$tone" -c:v mpeg4 \
  -c:a libmp3lame -b:a 8k -shortest
reader_seed 005 theora_vorbis.ogg -f lavfi -i "$video" -f lavfi -i "$tone" -c:v libtheora \
  -c:a libvorbis -shortest
reader_seed 007 mpeg2_mp2.ts -f lavfi -i "$video" -f lavfi -i "$tone" -c:v mpeg2video \
  -ar 16000 -c:a mp2 -b:a 32k -shortest
reader_seed 001 flac.flac -f lavfi -i "$tone" -c:a flac

# The stream parsers: an ICY stream (interval 16, pieces of 5 bytes) with a title block, a
# Theora set-up, an AAC AudioSpecificConfig and MPEG first frames with a VBRI or Xing table.
{ printf '\017\000\004'; printf 'audio-bytes-0123\002'
  printf "StreamTitle='A - B';\000\000\000\000\000\000\000\000\000\000\000\000"
  printf 'audio-bytes-4567\000audio'; } >"$seeds/stream_parsers/icy.bin"
{ printf '\000\052\200theora'; head -c 35 /dev/zero
  printf '\000\010\201theora\000\000\011\202theora\000\000'; } \
  >"$seeds/stream_parsers/theora_setup.bin"
printf '\022\020' >"$seeds/stream_parsers/aac_config.bin"
# A layer III frame whose VBRI table gives four runs of ten frames.
{ printf '\377\373\220\304'; head -c 32 /dev/zero
  printf 'VBRI\000\001\000\000\000\000\000\000\003\350\000\000\000\050\000\004\000\001'
  printf '\000\002\000\012\000\144\000\144\001\054\001\364'; head -c 345 /dev/zero; } \
  >"$seeds/stream_parsers/vbri.mp3"
ffmpeg -nostdin -loglevel error -y -f lavfi -i "$tone" -c:a libmp3lame -b:a 8k -write_xing 1 \
  -id3v2_version 0 -fflags +bitexact -f mp3 - | head -c 2048 >"$seeds/stream_parsers/xing.mp3"
