#include "platform/registry.h"

#include <mutex>

#include "platform/files.h"
#include "platform/registry_file.h"
#include "platform/text.h"

namespace {

constexpr std::u16string_view kRootNames[] = {u"HKEY_LOCAL_MACHINE", u"HKEY_CURRENT_USER"};
constexpr const char* kFileNames[] = {"system.reg", "user.reg"};
constexpr char kDefaultsFile[] = "registry.default.reg";

// Touched from every thread that reads plug-in tables; one lock guards all of it.
std::recursive_mutex registryLock;
RegistryTree trees[2];
std::string homeFolder;

int Index(RegistryRoot root) {
  return root == RegistryRoot::LocalMachine ? 0 : 1;
}

std::string FilePath(int index) {
  return homeFolder + "/" + kFileNames[index];
}

bool Save(int index) {
  if (homeFolder.empty()) return true;
  const std::string text = FormatRegistryText(trees[index]);
  return WriteFileAtomic(FilePath(index), text.data(), text.size());
}

const RegistryValue* Find(RegistryRoot root, std::u16string_view key, std::u16string_view name) {
  const RegistryTree& tree = trees[Index(root)];
  const auto entry = tree.find(RegistryKeyId(kRootNames[Index(root)], key));
  if (entry == tree.end()) return nullptr;
  const auto value = entry->second.values.find(WideLower(name));
  return value == entry->second.values.end() ? nullptr : &value->second;
}

bool Store(RegistryRoot root, std::u16string_view key, RegistryValue value) {
  const int index = Index(root);
  const std::u16string rootName(kRootNames[index]);
  auto [entry, added] = trees[index].try_emplace(RegistryKeyId(rootName, key));
  if (added) entry->second = RegistryKey{.root = rootName, .path = std::u16string(key)};
  entry->second.values[WideLower(value.name)] = std::move(value);
  return Save(index);
}

}  // namespace

void RegistryLoad(const std::string& home, const std::string& defaultsFile) {
  std::lock_guard<std::recursive_mutex> hold(registryLock);
  homeFolder = home;
  RegistryTree defaults;
  std::string text;
  if (ReadWholeFile(defaultsFile, &text)) ParseRegistryText(text, &defaults);
  for (int index = 0; index < 2; ++index) {
    trees[index].clear();
    if (ReadWholeFile(FilePath(index), &text)) ParseRegistryText(text, &trees[index]);
  }
  // Defaults name both roots; each file keeps only its own root.
  for (int index = 0; index < 2; ++index) {
    RegistryTree ownDefaults;
    for (const auto& [id, key] : defaults)
      if (WideLower(key.root) == WideLower(kRootNames[index])) ownDefaults.emplace(id, key);
    if (MergeRegistryDefaults(ownDefaults, &trees[index]) || !FileExists(FilePath(index)))
      Save(index);
  }
}

void RegistryLoadDefault() {
  RegistryLoad(PlayerHome(), ExecutableFolder() + "/" + kDefaultsFile);
}

bool RegistryKeyExists(RegistryRoot root, std::u16string_view key) {
  std::lock_guard<std::recursive_mutex> hold(registryLock);
  return trees[Index(root)].count(RegistryKeyId(kRootNames[Index(root)], key)) != 0;
}

bool RegistryGetString(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                       std::u16string* value) {
  std::lock_guard<std::recursive_mutex> hold(registryLock);
  const RegistryValue* found = Find(root, key, name);
  if (!found) return false;
  *value = found->isNumber ? Utf8ToWide(std::to_string(found->number)) : found->text;
  return true;
}

bool RegistryGetNumber(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                       uint32_t* value) {
  std::lock_guard<std::recursive_mutex> hold(registryLock);
  const RegistryValue* found = Find(root, key, name);
  if (!found) return false;
  if (found->isNumber) {
    *value = found->number;
    return true;
  }
  const std::string digits = WideToUtf8(found->text);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  *value = static_cast<uint32_t>(std::stoull(digits.substr(0, 10)));
  return true;
}

bool RegistrySetString(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                       std::u16string_view value) {
  std::lock_guard<std::recursive_mutex> hold(registryLock);
  return Store(root, key, {.name = std::u16string(name), .text = std::u16string(value)});
}

bool RegistrySetNumber(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                       uint32_t value) {
  std::lock_guard<std::recursive_mutex> hold(registryLock);
  return Store(root, key, {.name = std::u16string(name), .isNumber = true, .number = value});
}

bool RegistryDeleteValue(RegistryRoot root, std::u16string_view key, std::u16string_view name) {
  std::lock_guard<std::recursive_mutex> hold(registryLock);
  RegistryTree& tree = trees[Index(root)];
  const auto entry = tree.find(RegistryKeyId(kRootNames[Index(root)], key));
  if (entry == tree.end() || entry->second.values.erase(WideLower(name)) == 0) return false;
  return Save(Index(root));
}
