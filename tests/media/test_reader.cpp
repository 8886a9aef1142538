// A reader plug-in for the selection tests, built under several file names. Without
// TEST_READER_NO_INITIALIZE it exports InitializeReader; with TEST_READER_PARTIAL that fills
// only Open. It leaves the slots used only with audio or video empty.
#include "morvelant/reader_interface.h"

namespace {

MediaDescriptor descriptor;

[[maybe_unused]] int32_t Open(const char16_t*, int32_t, int32_t, MediaDescriptor** descriptorOut) {
  *descriptorOut = &descriptor;
  return 1;
}
[[maybe_unused]] int32_t Seek(int32_t, int32_t) {
  return 0;
}
[[maybe_unused]] double GetProgress() {
  return 0;
}
[[maybe_unused]] int32_t Close() {
  return 1;
}

}  // namespace

#ifndef TEST_READER_NO_INITIALIZE
extern "C" int32_t InitializeReader(ReaderOps* table) {
  table->Open = Open;
#ifndef TEST_READER_PARTIAL
  table->Seek = Seek;
  table->GetProgress = GetProgress;
  table->Close = Close;
#endif
  return 1;
}
#endif
