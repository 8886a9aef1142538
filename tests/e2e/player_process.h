// Runs build/dist/morvelant as a child process and reads its journal.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct PlayerProcess {
  pid_t pid = -1;
  std::string journal;
};

// Starts the player with MORVELANT_HOME = `home`, headless, journaling to `journal`; `path`
// is its PATH (where it finds xdg-open).
PlayerProcess StartPlayer(const std::string& home, const std::string& journal,
                          const std::vector<std::string>& arguments,
                          const std::string& path = "/usr/bin:/bin");
// Waits (generously) until the journal holds a line with `event`; false on time-out.
bool WaitForEvent(const PlayerProcess& player, const std::string& event);
// The exit code, or -1 when the process did not end within the time-out.
int WaitForExit(PlayerProcess& player);
std::string ReadFile(const std::string& path);
// Runs the player to its end and returns its exit code and standard output.
int RunPlayer(const std::vector<std::string>& arguments, std::string* output);
// The standard output of a shell line.
std::string CommandOutput(const std::string& line);
// Makes `name` (a path under the test media folder) with `ffmpeg <ffmpegArgs> <path>` once per
// build; "" when ffmpeg failed.
std::string MakeMedia(const std::string& name, const std::string& ffmpegArgs);
