#!/usr/bin/env bash
# Makes a handful of small real AVI files with FFmpeg's and GStreamer's AVI muxers, for the
# tests that compare the built-in AVI reader with ffprobe. Usage: make-avi-fixtures.sh OUTDIR
# Two seconds of tiny video each; the files are rebuilt only when missing.
set -euo pipefail
out=${1:?usage: make-avi-fixtures.sh OUTDIR}
mkdir -p "$out"

video="testsrc=size=96x64:rate=25:duration=2"
tone="sine=frequency=440:sample_rate=44100:duration=2"
tone2="sine=frequency=660:sample_rate=22050:duration=2"

ff() {  # ff NAME ARGS...: one FFmpeg file
  local name=$1
  shift
  [ -s "$out/$name" ] && return
  ffmpeg -nostdin -loglevel error -y "$@" "$out/$name.tmp.avi"
  mv "$out/$name.tmp.avi" "$out/$name"
}

gst() {  # gst NAME PIPELINE...: one GStreamer file, the pipeline ending in "mux."
  local name=$1
  shift
  [ -s "$out/$name" ] && return
  gst-launch-1.0 -q avimux name=mux ! filesink location="$out/$name.tmp.avi" "$@" >/dev/null
  mv "$out/$name.tmp.avi" "$out/$name"
}

ff ffmpeg_xvid_mp3.avi -f lavfi -i "$video" -f lavfi -i "$tone" \
  -c:v mpeg4 -vtag XVID -g 12 -c:a libmp3lame -b:a 64k
ff ffmpeg_dx50_pcm.avi -f lavfi -i "$video" -f lavfi -i "$tone" \
  -c:v mpeg4 -vtag DX50 -g 25 -c:a pcm_s16le
ff ffmpeg_div3_silent.avi -f lavfi -i "$video" -c:v msmpeg4 -vtag DIV3 -g 10
ff ffmpeg_mpeg1_mp2.avi -f lavfi -i "$video" -f lavfi -i "$tone" \
  -c:v mpeg1video -g 15 -c:a mp2 -b:a 96k
ff ffmpeg_two_audio.avi -f lavfi -i "$video" -f lavfi -i "$tone" -f lavfi -i "$tone2" \
  -map 0 -map 1 -map 2 -c:v mpeg4 -vtag XVID -c:a:0 libmp3lame -b:a:0 64k -c:a:1 pcm_s16le

gst gstreamer_xvid_mp3.avi \
  videotestsrc num-buffers=50 ! video/x-raw,width=96,height=64,framerate=25/1 ! \
  avenc_mpeg4 gop-size=12 ! mux. \
  audiotestsrc num-buffers=40 ! audio/x-raw,rate=44100,channels=2 ! lamemp3enc ! mux.
gst gstreamer_div3_pcm.avi \
  videotestsrc num-buffers=50 ! video/x-raw,width=96,height=64,framerate=25/1 ! \
  avenc_msmpeg4 ! mux. \
  audiotestsrc num-buffers=40 ! audio/x-raw,format=S16LE,rate=22050,channels=1 ! mux.
