#include "playback/frame_presenter.h"

#include <algorithm>
#include <utility>

#include "codecs/codec_loading.h"
#include "core/player_state.h"
#include "core/shared_word.h"
#include "platform/clock.h"
#include "platform/gapi.h"
#include "platform/window.h"
#include "playback/engine_state.h"
#include "playback/output_setup.h"
#include "playback/playback_journal.h"

namespace {

constexpr uint32_t kPaintPictureAndControls = 1;

bool ComparesWithPrevious(const DecodedPicture& picture, int32_t keyFrame) {
  return previousFrameDrawn && keyFrame == 0 && picture.PreviousLuma != picture.Luma;
}

}  // namespace

int32_t DescriptorCurrentFrame() {
  if (!currentDescriptor) return 0;
  return LoadSharedWord(currentDescriptor->CurrentFrame);
}

VideoPacket FetchVideoPacket(uint8_t* buffer, int32_t mode) {
  const int32_t n = readerOps.ReadVideoFrame(buffer, mode);
  if (n <= 0) {
    if (n < 0) stopRequested = 1;
    return {.ended = n < 0};
  }
  int32_t key = 1;
  if (n <= currentDescriptor->KeyFrameThreshold)
    key = readerOps.IsKeyFrame(DescriptorCurrentFrame() - 1) != 0;
  return {n, key};
}

int32_t DecodeAndPresent(const uint8_t* packet, int32_t size, uint16_t* destination, int32_t render,
                         int32_t skip, int32_t keyFrame) {
  EnterCriticalSection(&decodeLock);
  DecodedPicture picture{};
  if (decodeFrame(packet, size, &picture, render) == 0) {
    if (render == 0) {
      previousFrameDrawn = 0;
      LeaveCriticalSection(&decodeLock);
      return 0;
    }
    ++droppedFrames;
    render = 0;
  }
  if (render != 0 && destination) {
    const int32_t compare = ComparesWithPrevious(picture, keyFrame);
    currentBlitter.load()(picture.Luma, picture.LumaStride, picture.Cr, picture.Cb,
                          picture.ChromaStride, destination, pictureWidth, pictureHeight,
                          std::max(skip, 0), LoadSharedWord(playerSettings.filtering) ? 1 : 0,
                          LoadSharedWord(playerSettings.brightness), picture.PreviousLuma,
                          picture.PreviousCr, picture.PreviousCb, compare);
  }
  previousFrameDrawn = render != 0;
  LeaveCriticalSection(&decodeLock);
  return render;
}

void SkipLateFrames() {
  VideoPacket packet = FetchVideoPacket(packetBuffer, 1);
  if (packet.size == 0) {
    ++droppedFrames;
    --videoFrame;
    return;
  }
  DecodeAndPresent(packetBuffer, packet.size, nullptr, 0, 0, 1);
  ++droppedFrames;
  if (!externalCodec) {
    --videoFrame;
    return;
  }
  packet = FetchVideoPacket(packetBuffer, 1);
  if (packet.size == 0) return;
  DecodeAndPresent(packetBuffer, packet.size, nullptr, 0, 0, 1);
  ++droppedFrames;
}

void FastForwardStep(uint16_t* destination, int32_t skip) {
  if (framesToPlay == 0) return;
  clockStartTick = GetTickCount();
  targetFrame = 0;
  for (int i = 0; i < 2; ++i) {
    const int32_t n = readerOps.ReadVideoFrame(packetBuffer, 1);
    if (n > 0) DecodeAndPresent(packetBuffer, n, destination, 0, skip, 1);
  }
  uint16_t* framePointer = BeginDraw();
  const int32_t n = readerOps.ReadVideoFrame(packetBuffer, 0);
  if (framePointer && n > 0) {
    const int32_t frame = DescriptorCurrentFrame() - 1;
    uint16_t* at = framePointer + originRow * screenWidth + originColumn;
    if (DecodeAndPresent(packetBuffer, n, at, drawLevel, skip, 1))
      JournalFrameDrawn(frame, targetFrame);
  }
  EndDraw();
  videoFrame += 3;
}

void RedrawStill() {
  if (framesToPlay == 0 || !pictureBuffer) return;
  int32_t width = static_cast<int16_t>(pictureWidth), height = static_cast<int16_t>(pictureHeight);
  ConfigureOutput(2);
  for (;;) {
    const VideoPacket packet = FetchVideoPacket(stillPacketBuffer, 0);
    // A still that can no longer be read (the end of the item) keeps the last picture.
    if (packet.ended || DescriptorCurrentFrame() >= currentDescriptor->FrameCount) {
      if (packet.size == 0) break;
    }
    if (packet.size == 0) continue;
    ++videoFrame;
    if (DecodeAndPresent(stillPacketBuffer, packet.size, pictureBuffer, 2, -1, 1)) break;
  }
  if (stillBitmap) DeleteBitmap(stillBitmap);
  if (playerSettings.rotate) std::swap(width, height);
  stillBitmap = CreateBitmapOverBits(std::min(width, screenWidth), std::min(height, screenHeight),
                                     pictureBuffer);
  ConfigureOutput(-1);
  SendMessage(mainWindow, WM_PAINT, 0, kPaintPictureAndControls);
}
