// Wide (UTF-16) text, the player's own string form, and its conversions to the file system's
// UTF-8 and from 8-bit files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string WideToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; invalid bytes become U+FFFD.
std::u16string Utf8ToWide(std::string_view text);
// 8-bit text from skin and playlist files: UTF-8 when the bytes are valid UTF-8 (a leading
// byte-order mark is dropped), otherwise Windows-1252.
std::u16string AnsiToWide(std::string_view bytes);
bool IsValidUtf8(std::string_view bytes);

// Copies text into a fixed buffer of `capacity` characters, always terminated, cut if needed.
void WideCopy(char16_t* destination, size_t capacity, std::u16string_view text);
// Length of a terminated wide string.
size_t WideLength(const char16_t* text);
inline std::u16string_view WideView(const char16_t* text) {
  return {text, WideLength(text)};
}
// ASCII-only lower-casing, as registry names and extensions are compared.
std::u16string WideLower(std::u16string_view text);
