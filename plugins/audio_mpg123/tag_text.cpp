#include "plugins/audio_mpg123/tag_text.h"

#include <iconv.h>

#include <bit>
#include <vector>

void WriteTagText(const char* bytes, size_t length, const char* encoding, char16_t* destination,
                  size_t capacity) {
  if (length == 0 || bytes[0] == 0 || capacity == 0) return;
  const char* wide = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
  iconv_t converter = iconv_open(wide, encoding);
  if (converter == iconv_t(-1)) return;
  std::vector<char> input(bytes, bytes + length);
  char* in = input.data();
  char* out = reinterpret_cast<char*>(destination);
  size_t inLeft = length, outLeft = (capacity - 1) * sizeof(char16_t);
  iconv(converter, &in, &inLeft, &out, &outLeft);  // a cut text keeps what fitted
  iconv_close(converter);
  *reinterpret_cast<char16_t*>(out) = 0;
}
