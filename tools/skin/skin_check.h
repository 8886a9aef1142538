// The checks of `morvelant-skin check`: what in a skin file would make the player draw or react
// differently from what its author meant, found with the player's own parser.
#pragma once

#include <string>
#include <vector>

struct SkinFinding {
  bool error;           // false: a warning, the skin still works as written
  std::string element;  // the element's name, "Files", or "" for the whole file
  int line;             // 1-based line of the file, 0 when none fits
  std::string text;
};

// Reads and checks the skin file at `path` (UTF-8), decoding its images.
std::vector<SkinFinding> CheckSkin(const std::string& path);
// "FILE:LINE: error: ELEMENT: TEXT"
std::string FormatFinding(const std::string& path, const SkinFinding& finding);
