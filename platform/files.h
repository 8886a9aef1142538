// Files and folders of the player: its executable's folder, the per-user folder, and whole-file
// reads and atomic writes. Paths are UTF-8 strings; wide paths go through WideToUtf8.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// The folder of the resolved /proc/self/exe, without a trailing '/'.
std::string ExecutableFolder();
// Tests and tools that run outside build/dist point the player's folder there.
void SetExecutableFolder(const std::string& folder);

// $MORVELANT_HOME, else $XDG_CONFIG_HOME/morvelant, else ~/.config/morvelant; created if missing.
std::string PlayerHome();

// Every file the player reads is opened without blocking and must be a regular file: a FIFO,
// a device or a folder is refused at once (it could block the open or every read forever).
// The result is a descriptor in blocking mode, or -1 (errno says why).
int OpenRegularFile(const std::string& path);
// OpenRegularFile as a stdio stream for reading; null when refused.
std::FILE* OpenRegularFileStream(const std::string& path);
// A regular file that this process can open for reading.
bool IsReadableRegularFile(const std::string& path);

// Whole-file reads (registry, settings, scripts) take at most this many bytes: a larger file is
// damage, and is refused rather than held in memory.
constexpr size_t kMaxWholeFileBytes = 64u << 20;
// False when the file is not a regular file, cannot be read, or is larger than the limit.
bool ReadWholeFile(const std::string& path, std::string* contents,
                   size_t limit = kMaxWholeFileBytes);
// Writes a temporary file beside `path`, syncs it and renames it over `path`: a crash or a full
// disk leaves either the old file or the new one, never a torn one. False when nothing changed.
bool WriteFileAtomic(const std::string& path, const void* bytes, size_t size);
// Fault injection for tests: writes fail after this many bytes (as on a full disk); -1 = off.
void SetWriteFailureAfterBytes(long bytes);

bool FileExists(const std::string& path);
bool MakeFolders(const std::string& path);
