// The playback events of the journal. Their names and fields are read by tests and outside
// checks: add fields, never rename.
#pragma once

#include <cstdint>

// "item-opened": the video thread of the opened item has been started.
void JournalItemOpened();
// "reader-open": the reader's Open was called for the current item in `mode` (0 local, 1 network,
// 2 cached input) and succeeded or not.
void JournalReaderOpen(int32_t mode, bool ok);
// "state": playing, paused, fast-forward or stopped; written only when the state changes.
void JournalPlaybackState(const char* state);
// "seek": the target frame (or -1) and the target percentage (or -1).
void JournalSeek(int32_t frame, int32_t percent);
// "item-ended": the video thread is ending.
void JournalItemEnded(bool reachedEnd, int32_t played, int32_t dropped, int32_t total,
                      int64_t audioBytes);
// "frame" (only with frame journaling on): a frame was drawn to the screen.
void JournalFrameDrawn(int32_t frame, int32_t target);
