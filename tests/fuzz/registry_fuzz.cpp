// The .reg text parser and writer. Properties: text the writer made parses back to the same
// tree; merging a tree into an empty one gives the tree back.
#include <string_view>

#include "platform/registry_file.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

bool SameValues(const RegistryKey& a, const RegistryKey& b) {
  if (a.values.size() != b.values.size() || a.root != b.root || a.path != b.path) return false;
  for (const auto& [name, value] : a.values) {
    const auto other = b.values.find(name);
    if (other == b.values.end() || other->second.isNumber != value.isNumber ||
        other->second.text != value.text || other->second.number != value.number ||
        other->second.name != value.name)
      return false;
  }
  return true;
}

bool SameTree(const RegistryTree& a, const RegistryTree& b) {
  if (a.size() != b.size()) return false;
  for (const auto& [id, key] : a) {
    const auto other = b.find(id);
    if (other == b.end() || !SameValues(key, other->second)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RegistryTree tree;
  ParseRegistryText(std::string_view(reinterpret_cast<const char*>(data), size), &tree);
  const std::string written = FormatRegistryText(tree);
  RegistryTree again;
  ParseRegistryText(written, &again);
  FUZZ_CHECK(SameTree(tree, again));
  FUZZ_CHECK(FormatRegistryText(again) == written);
  RegistryTree merged;
  MergeRegistryDefaults(tree, &merged);
  FUZZ_CHECK(SameTree(tree, merged));
  return 0;
}
