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
};

constexpr ProbeCommand kCommands[] = {
    {.name = "info", .run = ProbeInfo, .summary = "what the reader found in the file"},
    {.name = "packets", .run = ProbePackets, .summary = "every video packet and all audio, hashed"},
};

int Usage() {
  std::fprintf(stderr, "usage: morvelant-probe COMMAND FILE\n");
  for (const ProbeCommand& command : kCommands)
    std::fprintf(stderr, "  %-8s %s\n", command.name, command.summary);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  for (const ProbeCommand& command : kCommands)
    if (std::strcmp(argv[1], command.name) == 0) return command.run(argv[2]);
  return Usage();
}
