// ID3 texts into the player's wide tag buffers.
#pragma once

#include <cstddef>

// Converts `bytes` of text in `encoding` (an iconv name) into `destination`, a buffer of
// `capacity` wide characters, cut if needed and always terminated. Nothing is written for
// empty text.
void WriteTagText(const char* bytes, size_t length, const char* encoding, char16_t* destination,
                  size_t capacity);
