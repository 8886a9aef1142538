#include "playback/engine_state.h"

#include "core/player_state.h"

std::atomic<int32_t> loading;
uint8_t chaptersInMenu;
ThreadHandle videoThreadHandle;
CriticalSection decodeLock;
uint8_t packetBuffer[kPacketBufferBytes];
uint8_t stillPacketBuffer[kPacketBufferBytes];

std::atomic<WaveOutHandle> waveDevice;
std::atomic<int32_t> queuedBuffers;
std::atomic<uint8_t> audioAutostart, discardNextOutput, seekInProgress;
std::atomic<int32_t> lastQueuedPosition, lastDonePosition, audioBitrate;
std::atomic<uint32_t> waveBytesPerSecond;
std::atomic<int64_t> audioBytesQueued;
std::atomic<uint8_t> audioThreadActive;
std::atomic<uint8_t> clockRebased;
std::atomic<uint32_t> audioRepositions;
std::atomic<int32_t> fadeTarget;

bool AudioActive() {
  return playerSettings.audioEnabled && currentDescriptor && currentDescriptor->AudioLength > 0;
}

int32_t OpenFrameCount() {
  return currentDescriptor ? currentDescriptor->FrameCount : 0;
}
