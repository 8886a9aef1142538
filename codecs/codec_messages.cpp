#include "codecs/codec_messages.h"

#include "platform/files.h"
#include "platform/text.h"

std::u16string FormatMessageText(std::u16string_view format, std::u16string_view value) {
  std::u16string text(format);
  const size_t at = text.find(u"%s");
  if (at != std::u16string::npos) text.replace(at, 2, value);
  return text;
}

std::u16string AudioRecordRefusedMessage(int32_t tag) {
  return FormatMessageText(kAudioRecordRefusedText, Utf8ToWide(std::to_string(tag)));
}

std::u16string VideoFormatMessage(std::u16string_view valueName) {
  const std::string address =
      "file://" + ExecutableFolder() + "/" + kManualFile + "#" + kManualFormatsAnchor;
  return FormatMessageText(kVideoFormatText, valueName) +
         FormatMessageText(kSampleVideosLine, Utf8ToWide(address));
}
