// Fetching, decoding and drawing single frames: the steps the video thread's passes are made
// of, and the still picture shown while paused.
#pragma once

#include <cstdint>

struct VideoPacket {
  int32_t size = 0;  // 0: nothing was fetched
  int32_t keyFrame = 0;
  bool ended = false;  // the reader reported the end of the video
};

// Reads the next frame into `buffer` (mode 0 next frame; 1 and 2 let the reader skip a frame
// before a key frame). A negative read means the video has ended: stopRequested is set.
VideoPacket FetchVideoPacket(uint8_t* buffer, int32_t mode);
// Decodes the packet under decodeLock and, when render is nonzero, draws it to `destination`
// through the current blitter. rowSkip -1 means 0. Nonzero when the frame was drawn.
int32_t DecodeAndPresent(const uint8_t* packet, int32_t size, uint16_t* destination, int32_t render,
                         int32_t rowSkip, int32_t keyFrame);
// A late pass: consumes one frame (two with a codec library) without drawing.
void SkipLateFrames();
// One fast-forward pass: two frames skipped, the third drawn.
void FastForwardStep(uint16_t* destination, int32_t rowSkip);
// Makes stillBitmap from the next frame that decodes; gives up at the end of the item.
void RedrawStill();
// The reader's next frame number, read once.
int32_t DescriptorCurrentFrame();
