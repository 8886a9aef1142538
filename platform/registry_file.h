// The .reg text format, parsed and written without touching any file:
//   [HKEY_LOCAL_MACHINE\software\Morvelant\plugins\video]
//   "divx"="MorvelantVideo.so"
//   "ACTimeout"=dword:0000003c
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

struct RegistryValue {
  std::u16string name;  // as first written
  bool isNumber = false;
  std::u16string text;
  uint32_t number = 0;
};

struct RegistryKey {
  std::u16string root;                             // "HKEY_LOCAL_MACHINE", ...
  std::u16string path;                             // as first written
  std::map<std::u16string, RegistryValue> values;  // by lower-cased name
};

// Keys by lower-cased "ROOT\path".
using RegistryTree = std::map<std::u16string, RegistryKey>;

std::u16string RegistryKeyId(std::u16string_view root, std::u16string_view path);
// Lines it does not understand are skipped; returns false when the text has none it does.
bool ParseRegistryText(std::string_view text, RegistryTree* tree);
std::string FormatRegistryText(const RegistryTree& tree);
// Adds what `defaults` has and `tree` lacks; returns whether anything was added.
bool MergeRegistryDefaults(const RegistryTree& defaults, RegistryTree* tree);
