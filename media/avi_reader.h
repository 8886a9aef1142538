// The built-in AVI reader: the reader entry points over an AVI file, read through an input
// library ("Tarnic.dll", or "TarnicCache.dll" for cached input) and its index tables.
//
// There is one reader state for the process. Open, Seek, ResyncAudio, GetProgress and Close
// run on the main thread, ReadVideoFrame and IsKeyFrame on the video thread (and the main
// thread while paused), ReadAudio on the audio thread. Every seek-then-read of the input, and
// every move of the video or audio cursor, happens under the reader's lock, so reads and
// repositioning are indivisible with respect to each other.
//
// Choices for files the container allows but cannot fully play:
// - Only indexed chunks can be read: FrameCount is cut to the number of indexed video chunks
//   (a file without idx1 has none), and playback ends at the last one.
// - A video stream whose header gives no frame rate (scale or rate 0), or with no indexed frame,
//   is switched off (FrameCount, Width, Height 0, no FourCC); its audio still plays. So is a
//   video stream whose declared picture is larger than VIDEO_MAX_PICTURE_SIDE on a side or
//   VIDEO_MAX_PICTURE_PIXELS in all.
// - A video packet larger than the player's 128,000-byte packet buffer is dropped, never copied.
// - An input library missing one of its four entry points is not used: Open fails.
#pragma once

#include <cstdint>
#include <span>

#include "morvelant/reader_interface.h"

// True when `table` holds the built-in reader. Its packets are the file's own bytes, so they
// must never be taken for ready pictures (the video pass-through's input).
bool IsAviReader(const ReaderOps& table);

// Fills slots 0 to 7 of a zeroed table in the order Open, ReadAudio, ReadVideoFrame, Seek,
// ResyncAudio, GetProgress, Close, IsKeyFrame; 8 to 10 stay null.
void InstallAviReader(ReaderOps* table);

// The audio stream's format record (the bytes of its strf chunk, a WAVEFORMATEX) of the item
// this reader has open; empty when it has none or nothing is open. Audio codecs need more of it
// than the descriptor carries (ADPCM's block alignment and coefficients). It stays with the
// reader that parsed it rather than in the fixed-size descriptor, and codec loading, which may
// see media, fetches it from here. Valid from Open to the next Open or Close (main thread).
std::span<const uint8_t> AviAudioFormatRecord();
