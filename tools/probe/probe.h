// morvelant-probe: opens a media file the way the player does (reader selection, the reader's
// Open, the registry and libraries of the player's folder) and prints what it found as
// key=value lines. Each command lives in its own file and has one line in the command table.
#pragma once

#include <cstdint>
#include <string>

#include "morvelant/reader_interface.h"

// Selects and opens the reader for `path` (mode 0, or 1 for a network URL). False after a
// refusal, whose message has been printed as an "error=" line.
bool ProbeOpen(const std::string& path);
// Closes the reader opened by ProbeOpen.
void ProbeClose();
// The descriptor of the open item.
const MediaDescriptor& ProbeDescriptor();

// Prints the "error=" line for a refusal: the title and text of the box the player would show.
void PrintProbeError(const std::string& title, const std::string& text);

// FNV-1a, 64 bits, over bytes in the order given.
constexpr uint64_t kFnvOffsetBasis = 14695981039346656037ull;
uint64_t Fnv1a64(uint64_t hash, const uint8_t* bytes, size_t count);

int ProbeInfo(const std::string& path);
int ProbePackets(const std::string& path);
int ProbeAudio(const std::string& path, const std::string& output);
int ProbeVideo(const std::string& path, const std::string& output);
int ProbePlaylist(const std::string& path);
