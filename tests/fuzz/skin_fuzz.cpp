// The skin file parser, as the player and `morvelant-skin check` run it: every element, the
// Files block, and the per-key readings. Properties: the records stay within their bounds, the
// derived fields agree with the parsed ones, and every reported offset lies inside the input.
#include <cstdlib>
#include <string_view>

#include "skin/skin_file.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

void CheckElement(const SkinElement& e) {
  FUZZ_CHECK(e.Vertical == (e.Height > e.Width ? 1 : 0));
  FUZZ_CHECK(e.Direction == (e.BigStep > 0 ? 1 : -1));
  FUZZ_CHECK(e.Pushed == 0);
  FUZZ_CHECK(std::abs(e.Left) <= kSkinNumberLimit && std::abs(e.Width) <= kSkinNumberLimit);
  FUZZ_CHECK(std::abs(e.Top - kSkinTopOffset) <= kSkinNumberLimit);
  FUZZ_CHECK(e.ScrollText <= 1);
  FUZZ_CHECK(e.Font[kSkinFontChars - 1] == 0);
}

void CheckOffset(size_t offset, size_t size) {
  FUZZ_CHECK(offset == std::string_view::npos || offset < size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const SkinText text = FindSkinAnchor(bytes);
  Skin skin{};
  for (const SkinElementName& name : kSkinElements) {
    const ElementReading reading = ReadSkinElement(text, name.name, &(skin.*name.member));
    CheckElement(skin.*name.member);
    CheckOffset(reading.nameOffset, size);
    CheckOffset(reading.blockEnd, size);
    for (const KeyReading& key : reading.keys) CheckOffset(key.offset, size);
  }
  ReadSkinFiles(text, u"/skins/", &skin);
  FUZZ_CHECK(skin.BackgroundPath[kSkinImagePathChars - 1] == 0);
  FUZZ_CHECK(skin.ButtonsPath[kSkinImagePathChars - 1] == 0);
  return 0;
}
