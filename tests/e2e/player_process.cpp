#include "player_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/media_once.h"

extern char** environ;

namespace {

constexpr auto kPatience = std::chrono::seconds(30);
const std::string kPlayer = std::string(MORVELANT_DIST_DIR) + "/morvelant";

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::string ReadFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

PlayerProcess StartPlayer(const std::string& home, const std::string& journal,
                          const std::vector<std::string>& arguments, const std::string& path) {
  std::vector<std::string> argv = {kPlayer, "--headless", "--audio=null", "--journal=" + journal};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment = {"MORVELANT_HOME=" + home, "PATH=" + path};
  // The sanitizers' settings of the suite reach the player too.
  for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS", "UBSAN_OPTIONS"})
    if (const char* value = std::getenv(name))
      environment.push_back(std::string(name) + "=" + value);
  PlayerProcess player{.journal = journal};
  auto args = Pointers(argv), env = Pointers(environment);
  posix_spawn(&player.pid, kPlayer.c_str(), nullptr, nullptr, args.data(), env.data());
  return player;
}

bool WaitForEvent(const PlayerProcess& player, const std::string& event) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  const std::string needle = "\"event\":\"" + event + "\"";
  while (std::chrono::steady_clock::now() < deadline) {
    if (ReadFile(player.journal).find(needle) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

int WaitForExit(PlayerProcess& player) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(player.pid, &status, WNOHANG) == player.pid)
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(player.pid, SIGKILL);
  waitpid(player.pid, nullptr, 0);
  return -1;
}

int RunPlayer(const std::vector<std::string>& arguments, std::string* output) {
  std::string command = kPlayer;
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  size_t got = 0;
  while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0) output->append(buffer, got);
  const int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string CommandOutput(const std::string& line) {
  std::string output;
  FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t got = 0;
  while ((got = fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, got);
  pclose(pipe);
  return output;
}

std::string MakeMedia(const std::string& name, const std::string& ffmpegArgs) {
  return MakeMediaOnce(std::filesystem::path(MORVELANT_DIST_DIR) / ".." / "tests" / "e2e_media",
                       name, ffmpegArgs);
}
