#include "plugins/quellin/icy_metadata.h"

void StartIcyStream(IcyStream* stream, size_t interval) {
  *stream = IcyStream{.interval = interval, .untilBlock = interval};
}

std::string StreamTitleOf(const std::string& block) {
  constexpr char kKey[] = "StreamTitle='";
  const size_t start = block.find(kKey);
  if (start == std::string::npos) return "";
  const size_t from = start + sizeof kKey - 1;
  // The value ends at "';": a quote alone may be part of the title.
  size_t end = block.find("';", from);
  if (end == std::string::npos) end = block.find('\'', from);
  if (end == std::string::npos) end = block.find('\0', from);
  return block.substr(from, end == std::string::npos ? std::string::npos : end - from);
}
