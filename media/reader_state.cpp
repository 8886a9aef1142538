#include "media/reader_state.h"

#include <algorithm>

namespace {
constexpr int32_t kStreamTitleChars = 200;
}  // namespace

ReaderOps readerOps;
ReaderStreamTitleFunction readerStreamTitle;
MediaDescriptor* currentDescriptor;

int32_t ReadStreamTitle(std::u16string* title) {
  title->clear();
  if (!readerStreamTitle) return 0;
  char16_t text[kStreamTitleChars] = {};
  const int32_t changes = readerStreamTitle(text, kStreamTitleChars);
  title->assign(text, std::find(text, text + kStreamTitleChars, u'\0'));
  return changes;
}
