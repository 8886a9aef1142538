// The registry: keys of named string and 32-bit number values, compared without regard to
// case, kept in .reg-style text files in the player's home folder ("system.reg" for the local
// machine root, "user.reg" for the current user). Safe to call from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class RegistryRoot { LocalMachine, CurrentUser };

// Reads system.reg and user.reg from `home`, merging the keys and values of `defaultsFile`
// that are missing (the user's values win). A file that cannot be parsed counts as empty.
void RegistryLoad(const std::string& home, const std::string& defaultsFile);
// The home folder and the executable's "registry.default.reg".
void RegistryLoadDefault();

bool RegistryKeyExists(RegistryRoot root, std::u16string_view key);
// A number value reads as its decimal text. False when the key or value is missing.
bool RegistryGetString(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                       std::u16string* value);
// A string value holding a decimal number reads as that number.
bool RegistryGetNumber(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                       uint32_t* value);
// Writers create the key as needed and save the root's file atomically at once.
bool RegistrySetString(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                       std::u16string_view value);
bool RegistrySetNumber(RegistryRoot root, std::u16string_view key, std::u16string_view name,
                       uint32_t value);
bool RegistryDeleteValue(RegistryRoot root, std::u16string_view key, std::u16string_view name);
