// Inside the skin parser, shared with the lint tool: what the reading of one element found, key
// by key, so that `morvelant-skin check` reports from the same searches the player makes.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "skin/skin.h"

// Keys of an element in the order they are looked up, each with how its value is stored.
struct SkinKey {
  const char* text;  // including the "="
  void (*store)(SkinElement* element, std::string_view value);
};
constexpr size_t kSkinKeyCount = 16;
extern const SkinKey kSkinKeys[kSkinKeyCount];

// Numbers are cut to this magnitude, so that no sum or product of skin values can overflow.
constexpr int32_t kSkinNumberLimit = 1 << 20;

enum class KeyState { Found, Missing, BeyondBlock };
struct KeyReading {
  KeyState state = KeyState::Missing;
  size_t offset = std::string_view::npos;  // where the key text was found
};
struct ElementReading {
  size_t nameOffset = std::string_view::npos;  // npos: the name is not in the text
  size_t blockEnd = std::string_view::npos;    // npos: no empty line ends the block
  std::array<KeyReading, kSkinKeyCount> keys{};
};
// ParseSkinElement with what each search found.
ElementReading ReadSkinElement(const SkinText& text, std::string_view name, SkinElement* element);

// "Files" and its two keys.
struct FilesReading {
  size_t filesOffset = std::string_view::npos;
  size_t blockEnd = std::string_view::npos;
  KeyReading background, buttons;
  bool backgroundTooLong = false, buttonsTooLong = false;
};
FilesReading ReadSkinFiles(const SkinText& text, std::u16string_view folder, Skin* target);

// Decimal number: leading blanks, optional sign, digits up to the first non-digit; 0 for none.
int32_t SkinNumber(std::string_view value);
// The 1-based line of a byte offset.
int32_t LineOfOffset(std::string_view bytes, size_t offset);
