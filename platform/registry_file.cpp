#include "platform/registry_file.h"

#include <cstdio>

#include "platform/text.h"

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kDwordPrefix = "dword:";

std::string_view Trim(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
    line.remove_suffix(1);
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

// Reads a quoted string with \\ and \" escapes starting at text[0] == '"'.
bool ReadQuoted(std::string_view text, size_t* end, std::string* out) {
  out->clear();
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      *out += text[++i];
    } else if (text[i] == '"') {
      *end = i + 1;
      return true;
    } else {
      *out += text[i];
    }
  }
  return false;
}

std::string Quote(std::u16string_view text) {
  std::string out = "\"";
  for (const char c : WideToUtf8(text)) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

bool ParseValue(std::string_view line, RegistryKey* key) {
  size_t end = 0;
  std::string name;
  if (line.empty() || line[0] != '"' || !ReadQuoted(line, &end, &name)) return false;
  std::string_view rest = Trim(line.substr(end));
  if (rest.empty() || rest[0] != '=') return false;
  rest = Trim(rest.substr(1));
  RegistryValue value{.name = Utf8ToWide(name)};
  if (rest.starts_with(kDwordPrefix)) {
    const std::string digits(rest.substr(kDwordPrefix.size()));
    if (digits.empty() || digits.size() > 8 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      return false;
    value.isNumber = true;
    value.number = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
  } else {
    std::string text;
    if (rest.empty() || rest[0] != '"' || !ReadQuoted(rest, &end, &text)) return false;
    value.text = Utf8ToWide(text);
  }
  key->values[WideLower(value.name)] = value;
  return true;
}

}  // namespace

std::u16string RegistryKeyId(std::u16string_view root, std::u16string_view path) {
  std::u16string id = WideLower(root);
  id += u'\\';
  id += WideLower(path);
  return id;
}

bool ParseRegistryText(std::string_view text, RegistryTree* tree) {
  RegistryKey* current = nullptr;
  bool understood = false;
  while (!text.empty()) {
    const size_t newline = text.find('\n');
    const std::string_view line = Trim(text.substr(0, newline));
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    if (line.empty() || line[0] == ';' || line == kHeader) continue;
    if (line.front() == '[' && line.back() == ']') {
      const std::u16string full = Utf8ToWide(line.substr(1, line.size() - 2));
      const size_t slash = full.find(u'\\');
      if (slash == std::u16string::npos) {
        current = nullptr;
        continue;
      }
      const std::u16string root = full.substr(0, slash), path = full.substr(slash + 1);
      auto [entry, added] = tree->try_emplace(RegistryKeyId(root, path));
      if (added) entry->second = RegistryKey{.root = root, .path = path};
      current = &entry->second;
      understood = true;
    } else if (current && ParseValue(line, current)) {
      understood = true;
    }
  }
  return understood;
}

std::string FormatRegistryText(const RegistryTree& tree) {
  std::string out = std::string(kHeader) + "\n";
  for (const auto& [id, key] : tree) {
    out += "\n[" + WideToUtf8(key.root) + "\\" + WideToUtf8(key.path) + "]\n";
    for (const auto& [lowered, value] : key.values) {
      out += Quote(value.name) + "=";
      if (value.isNumber) {
        char digits[16];
        std::snprintf(digits, sizeof(digits), "dword:%08x", value.number);
        out += digits;
      } else {
        out += Quote(value.text);
      }
      out += "\n";
    }
  }
  return out;
}

bool MergeRegistryDefaults(const RegistryTree& defaults, RegistryTree* tree) {
  bool added = false;
  for (const auto& [id, key] : defaults) {
    auto [entry, newKey] = tree->try_emplace(id, RegistryKey{.root = key.root, .path = key.path});
    added |= newKey;
    for (const auto& [name, value] : key.values)
      added |= entry->second.values.emplace(name, value).second;
  }
  return added;
}
