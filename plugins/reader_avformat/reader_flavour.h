// What sets the libavformat readers apart: the general reader probes every container and uses
// its index; the streaming AVI reader reads AVI files in the order of their movi list; the
// broadcast reader receives a live MPEG transport stream from the address the registry names.
#pragma once

#include <string>

struct ReaderFlavour {
  const char* inputFormat;  // libavformat's name of the only container read, or null for any
  bool ignoreIndex;         // read packets in file order; an index is neither needed nor used
  bool live;                // a live source: not paced by the audio clock, never repositioned
  std::string (*source)(const std::string& path);  // what to open for the item, or null
};

extern const ReaderFlavour kReaderFlavour;
