// The player's installed reader: its table of entry points and the descriptor it opened.
#pragma once

#include <cstdint>
#include <string>

#include "morvelant/reader_interface.h"

// The player's packet buffer: ReadVideoFrame never delivers more than this into it.
constexpr int32_t kPacketBufferBytes = 128000;

// Filled by reader selection, zeroed when no reader is installed. W main (selection, while no
// playback thread runs); R all.
extern ReaderOps readerOps;
// The reader library's optional stream title export, null when it has none. W main (selection);
// R main.
extern ReaderStreamTitleFunction readerStreamTitle;
// The stream title at the read position into `title`; the reader's change count (0: none).
int32_t ReadStreamTitle(std::u16string* title);

// The open reader's descriptor; null while nothing is open. W main (opening and closing, while
// no playback thread runs); R all.
extern MediaDescriptor* currentDescriptor;
