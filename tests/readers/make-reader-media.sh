#!/bin/sh
# Makes the media the reader tests open, with ffmpeg, into the folder given.
set -eu
out=$1
mkdir -p "$out"

make() {
  name=$1
  shift
  ffmpeg -nostdin -v error -y "$@" "$out/$name.part.${name##*.}" && mv "$out/$name.part.${name##*.}" "$out/$name"
}

tags='-metadata title=Morning -metadata artist=Quartet -metadata album=Seasons'
# A tone for ten seconds, then noise for ten: a VBR encoder spends far more bytes on the second
# half, so a seek by byte proportion lands at the wrong time.
tone_then_noise='aevalsrc=if(lt(t\,10)\,0.4*sin(2*PI*440*t)\,0.4*(random(0)*2-1)):s=44100:d=20'
test_picture='testsrc=size=320x240:rate=25'
sine='sine=frequency=440:sample_rate=44100'

make cbr.mp3 -f lavfi -i "$sine" -t 6 $tags -c:a libmp3lame -b:a 128k -id3v2_version 3
make vbr.mp3 -f lavfi -i "$tone_then_noise" $tags -c:a libmp3lame -q:a 2
make layer2.mp2 -f lavfi -i "$sine" -t 3 -c:a mp2 -b:a 192k
make h264_aac.mp4 -f lavfi -i "$test_picture" -f lavfi -i "$sine" -t 8 -c:v libx264 -g 25 \
  -pix_fmt yuv420p -c:a aac -b:a 96k -movflags +faststart
make hevc_opus.mkv -f lavfi -i "$test_picture" -f lavfi -i "$sine" -t 4 -c:v libx265 \
  -x265-params log-level=error:keyint=25 -pix_fmt yuv420p -c:a libopus -b:a 64k
make vp9_vorbis.webm -f lavfi -i "$test_picture" -f lavfi -i "$sine" -t 4 -c:v libvpx-vp9 -g 25 \
  -deadline realtime -cpu-used 8 -pix_fmt yuv420p -c:a libvorbis
make theora_vorbis.ogg -f lavfi -i "$test_picture" -f lavfi -i "$sine" -t 3 -c:v libtheora \
  -pix_fmt yuv420p -c:a libvorbis
make tone.flac -f lavfi -i "$sine" -t 3 -ac 2 -c:a flac
make tone.wav -f lavfi -i "$sine" -t 3 -ac 2 -c:a pcm_s16le
make mpeg2_mp2.mpg -f lavfi -i "$test_picture" -f lavfi -i "$sine" -t 4 -c:v mpeg2video -g 12 \
  -b:v 1M -c:a mp2 -f vob
make h264_ac3.ts -f lavfi -i "$test_picture" -f lavfi -i "$sine" -t 4 -c:v libx264 -g 25 \
  -pix_fmt yuv420p -c:a ac3
make full_hd.mp4 -f lavfi -i 'testsrc=size=1920x1080:rate=25' -t 2 -c:v libx264 -g 25 \
  -preset ultrafast -pix_fmt yuv420p
# Chapters with names, from a metadata file.
printf ';FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=2000\ntitle=Opening\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=2000\nEND=4000\ntitle=Second movement\n' >"$out/chapters.txt"
make chapters.mkv -f lavfi -i "$test_picture" -i "$out/chapters.txt" -t 4 -map 0 \
  -map_chapters 1 -c:v libx264 -g 25 -pix_fmt yuv420p
# Variable frame rate: fifty frames at 12.5 a second, then fifty at 25.
make vfr.mkv -f lavfi -i "$test_picture" -frames:v 100 \
  -vf "setpts='if(lt(N,50),2*N,50+N)/25/TB'" -fps_mode passthrough -c:v libx264 -bf 0 -g 25 \
  -pix_fmt yuv420p
make xvid_mp3.avi -f lavfi -i 'testsrc=size=176x144:rate=25' -f lavfi -i "$sine" -t 2 \
  -c:v mpeg4 -vtag XVID -c:a libmp3lame -b:a 64k
