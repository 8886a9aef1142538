// morvelant-probe COMMAND FILE: see probe.h.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/probe/probe.h"

namespace {

struct ProbeCommand {
  const char* name;
  int (*run)(const std::string& path);
  const char* summary;
  int (*runToFile)(const std::string& path, const std::string& output);  // takes FILE OUT
};

constexpr ProbeCommand kCommands[] = {
    {.name = "info", .run = ProbeInfo, .summary = "what the reader found in the file"},
    {.name = "packets", .run = ProbePackets, .summary = "every video packet and all audio, hashed"},
    {.name = "playlist", .run = ProbePlaylist, .summary = "the entries as the player loads them"},
    {.name = "audio",
     .summary = "FILE OUT.wav: the audio decoded by its codec",
     .runToFile = ProbeAudio},
    {.name = "video",
     .summary = "FILE OUT.y4m: every picture DecodeFrame gives",
     .runToFile = ProbeVideo},
};

int Usage() {
  std::fprintf(stderr, "usage: morvelant-probe COMMAND FILE [OUT]\n");
  for (const ProbeCommand& command : kCommands)
    std::fprintf(stderr, "  %-8s %s\n", command.name, command.summary);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) return Usage();
  for (const ProbeCommand& command : kCommands) {
    if (std::strcmp(argv[1], command.name) != 0) continue;
    if (command.runToFile) return argc == 4 ? command.runToFile(argv[2], argv[3]) : Usage();
    return argc == 3 ? command.run(argv[2]) : Usage();
  }
  return Usage();
}
