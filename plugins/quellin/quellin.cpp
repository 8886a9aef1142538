// quellin: the reader of network items whose extension names no other reader (network_item.h).
#include "morvelant/reader_interface.h"
#include "plugins/quellin/network_item.h"

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

int32_t Open(const char16_t* path, int32_t, int32_t, MediaDescriptor** descriptorOut) {
  return NetworkOpen(path, descriptorOut);
}

int32_t ReadVideoFrame(uint8_t*, int32_t) {
  return -1;  // no video
}

int32_t Seek(int32_t, int32_t) {
  return NetworkRemainingSpan();
}

int32_t IsKeyFrame(int32_t) {
  return 1;
}

}  // namespace

EXPORT int32_t InitializeReader(ReaderOps* table) {
  table->Open = Open;
  table->ReadAudio = NetworkReadAudio;
  table->ReadVideoFrame = ReadVideoFrame;
  table->Seek = Seek;
  table->ResyncAudio = NetworkRemainingSpan;
  table->GetProgress = NetworkProgress;
  table->Close = NetworkClose;
  table->IsKeyFrame = IsKeyFrame;
  return 1;
}

// Optional export: the station's stream title (see NetworkStreamTitle).
EXPORT int32_t ReaderStreamTitle(char16_t* title, int32_t capacity) {
  return NetworkStreamTitle(title, capacity);
}
