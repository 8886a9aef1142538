// Files and folders of the player: its executable's folder, the per-user folder, and whole-file
// reads and atomic writes. Paths are UTF-8 strings; wide paths go through WideToUtf8.
#pragma once

#include <cstddef>
#include <string>

// The folder of the resolved /proc/self/exe, without a trailing '/'.
std::string ExecutableFolder();
// Tests and tools that run outside build/dist point the player's folder there.
void SetExecutableFolder(const std::string& folder);

// $MORVELANT_HOME, else $XDG_CONFIG_HOME/morvelant, else ~/.config/morvelant; created if missing.
std::string PlayerHome();

bool ReadWholeFile(const std::string& path, std::string* contents);
// Writes a temporary file beside `path`, syncs it and renames it over `path`: a crash or a full
// disk leaves either the old file or the new one, never a torn one. False when nothing changed.
bool WriteFileAtomic(const std::string& path, const void* bytes, size_t size);
// Fault injection for tests: writes fail after this many bytes (as on a full disk); -1 = off.
void SetWriteFailureAfterBytes(long bytes);

bool FileExists(const std::string& path);
bool MakeFolders(const std::string& path);
